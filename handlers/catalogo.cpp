#include "handlers/catalogo.h"

namespace handlers {

const engine::Catalogo& catalogoCompleto() {
    static const engine::Catalogo catalogo = [] {
        engine::Catalogo c;
        registrarInventario(c);
        return c;
    }();
    return catalogo;
}

}  // namespace handlers
