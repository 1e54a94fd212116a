#include "app/lista_servidores.h"

#include <cstdio>

namespace app {

const char* const kArchivoServidores = "SERVIDORES.cfg";

std::vector<std::string> leerListaServidores(const std::string& ruta) {
    std::vector<std::string> lineas;
    std::FILE* f = std::fopen(ruta.c_str(), "rb");
    if (!f) return lineas;
    std::string contenido;
    char bloque[4096];
    for (size_t n; (n = std::fread(bloque, 1, sizeof bloque, f)) > 0;) contenido.append(bloque, n);
    const bool leido = !std::ferror(f);  // a folder opens, but does not read
    std::fclose(f);
    if (!leido) return lineas;

    std::string actual;
    bool pendiente = false;  // something since the last line end
    for (size_t i = 0; i < contenido.size(); ++i) {
        const char c = contenido[i];
        if (c == '\r' || c == '\n') {
            lineas.push_back(actual);
            actual.clear();
            pendiente = false;
            // CR LF is one line end; a CR alone ends the line and keeps the
            // next byte.
            if (c == '\r' && i + 1 < contenido.size() && contenido[i + 1] == '\n') ++i;
        } else {
            actual += c;
            pendiente = true;
        }
    }
    if (pendiente) lineas.push_back(actual);
    return lineas;
}

}  // namespace app
