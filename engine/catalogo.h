// The handler interface and the catalogue of event types. The engine knows
// no handler; handlers/ builds the catalogue and hands it to the run.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/conexion.h"
#include "db/conjunto_filas.h"
#include "engine/evento.h"

namespace engine {

// What the run keeps about the event being processed. Cleared before each
// event; the lock date lives for one destination company of phase B.
struct EstadoCorrida {
    bool error = false;           // an apply failed: the event is not stamped
    bool copiarDetalles = false;  // the header was applied, details follow
    int64_t idDestino = 0;        // internal id of the header in the target
    std::string fechaBloqueo;     // accounting lock date of the target (phase B)

    void limpiarEvento() {
        error = false;
        copiarDetalles = false;
        idDestino = 0;
    }
};

// What a handler works with. Reads go to `origen`; lookups, applies and
// direct statements to `destino`, inside the event's transaction; rows
// prepared for the target get `captura`, which stores a refusal's message in
// the event.
struct ContextoEvento {
    const Evento& evento;
    db::Conexion& origen;
    db::Conexion& destino;
    EstadoCorrida& estado;
    cola::Fase fase;
    const db::CapturaErrores& captura;

    // A query on the target whose rows will be applied.
    db::ConjuntoFilas consultarDestino(const std::string& sql) const;
    // The target's id generator, in its own committed transaction: an id
    // handed out stays consumed even when the event fails.
    db::ConjuntoFilas generarId(const std::string& sql) const;
    // error := the apply failed.
    void aplicar(db::ConjuntoFilas& filas, size_t fila) const { estado.error = filas.aplicar(fila) > 0; }
};

class Manejador {
public:
    virtual ~Manejador() = default;
    // Applies one event to the target. Its outcome is the error flag and the
    // target's rows; any exception ends the run.
    virtual void aplicar(ContextoEvento& contexto) const = 0;
};

// Types 0 to 235; every other value, and an unmapped type, has no handler.
class Catalogo {
public:
    static constexpr int kTamanio = 236;
    void registrar(int tipo, std::unique_ptr<Manejador> manejador);
    const Manejador* buscar(int64_t tipo) const;
    size_t registrados() const;

private:
    std::array<std::unique_ptr<Manejador>, kTamanio> tabla_;
};

}  // namespace engine
