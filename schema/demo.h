// Data for the demo and the tests: replication settings of a company, queued
// events, sample inventory documents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/conexion.h"
#include "db/valor.h"

namespace esquema {

// Credentials for the peers in CONFIGURACION, two agencies in SUCURSALES,
// the document types, and an active REPLICA_COMPANIA row on `ubicacion` for
// every code in `pares`.
void configurarCompania(db::Conexion& compania, const std::string& ubicacion, const std::vector<std::string>& pares,
                        const std::string& usuario, const std::string& clave);

struct EventoNuevo {
    std::string compania;  // destination
    int tipo = 11;
    db::Valor iddoc;
    std::string pref, numero, codigo;
    std::string oper = "C";
    std::string prefdest;
    int segundo = 0;  // RPEV_HORAREG 08:00:00 + segundo, today: gives the order
};

// Queues one event; answers its RPEV_ID.
int64_t encolarEvento(db::Conexion& c, const EventoNuevo& e);

struct LineaDemo {
    std::string articulo;
    std::string cantidad;  // decimal text
};

// An inventory receipt (type 11) or issue (type 12) with its lines; answers
// the header's internal id.
int64_t crearDocumentoInventario(db::Conexion& c, int tipo, const std::string& pref, const std::string& numero,
                                 const std::vector<LineaDemo>& lineas);
// An inventory adjustment (type 14) with its lines.
int64_t crearAjuste(db::Conexion& c, const std::string& pref, const std::vector<LineaDemo>& lineas);

// Fills companies 001 and 002 of a demo: documents and events in both
// directions, one of them bound to be refused by 002.
void cargarDemo(db::Conexion& c001, db::Conexion& c002);

}  // namespace esquema
