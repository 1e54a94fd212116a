#include "engine/catalogo.h"

#include <stdexcept>

namespace engine {

db::ConjuntoFilas ContextoEvento::consultarDestino(const std::string& sql) const {
    db::ConjuntoFilas r = destino.consultar(sql);
    r.fijarCaptura(captura);
    return r;
}

db::ConjuntoFilas ContextoEvento::generarId(const std::string& sql) const {
    return destino.consultar(sql, db::Transaccion::Propia);
}

void Catalogo::registrar(int tipo, std::unique_ptr<Manejador> manejador) {
    if (tipo < 0 || tipo >= kTamanio) throw std::out_of_range("Tipo de evento fuera del catálogo: " + std::to_string(tipo));
    if (tabla_[tipo]) throw std::logic_error("Tipo de evento registrado dos veces: " + std::to_string(tipo));
    tabla_[tipo] = std::move(manejador);
}

const Manejador* Catalogo::buscar(int64_t tipo) const {
    if (tipo < 0 || tipo >= kTamanio) return nullptr;
    return tabla_[static_cast<size_t>(tipo)].get();
}

size_t Catalogo::registrados() const {
    size_t n = 0;
    for (const auto& m : tabla_) n += m != nullptr;
    return n;
}

}  // namespace engine
