// The business databases' schema (general and company), as the agent relies
// on it, for tests, the demo and the benchmark. The scripts are built into
// the program from general.sql and compania.sql.
#pragma once

#include <cstdint>
#include <string>

#include "db/conexion.h"

namespace esquema {

const std::string& guionGeneral();
const std::string& guionCompania();
// Agencies and document types of a demo company.
const std::string& guionDemoCompania();

// `conexion` holds the new database's name, user and password; the file must
// not exist. Leaves the connection attached to the new database.
void crearBaseGeneral(db::Conexion& conexion);
// Every generator of the new company starts at `inicioGeneradores`, so the
// same document gets different ids in different companies.
void crearBaseCompania(db::Conexion& conexion, int64_t inicioGeneradores);
void reiniciarGeneradores(db::Conexion& conexion, int64_t inicio);

}  // namespace esquema
