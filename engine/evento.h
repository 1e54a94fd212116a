// One row of REPLICA_EVENTOS and the queue statements of a run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/conjunto_filas.h"
#include "db/valor.h"
#include "engine/formato.h"

namespace engine {

struct Evento {
    int64_t id = 0;             // RPEV_ID
    std::string compania;       // RPEV_COMPANIA
    int64_t tipo = 0;           // RPEV_TIPO
    db::Valor iddoc;            // RPEV_IDDOC (may be NULL)
    std::string pref;           // RPEV_PREF
    std::string numero;         // RPEV_NUMERO
    std::string codigo;         // RPEV_CODIGO
    std::string oper;           // RPEV_OPER, as stored
    std::string prefdest;       // RPEV_PREFDEST
    db::Valor ptvt;             // RPEV_PTVT
    db::Valor error;            // RPEV_ERROR

    bool esBorrado() const { return oper == "D"; }
    bool esAnulacion() const { return oper == "A"; }
    // RPEV_IDDOC checked as an integer key for statements; a NULL or a
    // non-integer throws db::ErrorClave.
    std::string iddocClave() const;
};

// Reads every row of a `select *` of REPLICA_EVENTOS, by column name.
std::vector<Evento> leerEventos(const db::ConjuntoFilas& filas);

// Texts of the queue's statements.
namespace cola {

std::string purga(const db::Fecha& hoy);
extern const char* const kUltimaReplicacion;
extern const char* const kCompaniasDestino;
extern const char* const kSinEnvios;  // "Sin envios hasta ahora."

enum class Fase { A, B };

// Pending events of one queue. `cantidad` is used as typed once it is
// checked to be a whole number (db::ErrorClave otherwise); an empty count
// must be replaced by "80" before calling.
std::string pendientes(Fase fase, const std::string& cantidad, const std::string& compania, bool recientePrimero,
                       bool saltarFallidos);
std::string estampar(int64_t idEvento, const Momento& momento);
std::string guardarError(int64_t idEvento, const std::string& mensaje);  // message cut to 2048
std::string agenciaDelPrefijo(const Evento& e);
// Phase B: a non-empty filter skips an event with a different, non-empty prefix.
bool saltarPorPrefijo(const std::string& filtro, const Evento& e);
// Display text of the last-replication query.
std::string textoUltimaReplicacion(const db::ConjuntoFilas& resultado);

constexpr size_t kLargoError = 2048;
constexpr int kTipoExcluidoLocal = 236;

}  // namespace cola

}  // namespace engine
