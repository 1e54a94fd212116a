// Runs SQL scripts written for isql: statements end with the current
// terminator, SET TERM changes it, comments and quoted texts are respected.
#pragma once

#include <string>
#include <vector>

#include "db/conexion.h"

namespace db {

// Splits a script into its statements, without terminators. SET TERM is
// consumed; SET SQL DIALECT, SET NAMES, SET AUTODDL and COMMIT are dropped
// (every statement commits on its own).
std::vector<std::string> sentenciasDeGuion(const std::string& texto);

// Runs every statement of the script, each in its own committed
// transaction, so later statements see the objects earlier ones created.
void ejecutarGuion(Conexion& conexion, const std::string& texto);

// Reads a whole file; throws std::runtime_error naming it when it cannot.
std::string leerArchivo(const std::string& ruta);

}  // namespace db
