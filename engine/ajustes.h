// Database names built from the login values, and the settings kept in the
// CONFIGURACION table of the company databases.
#pragma once

#include <string>

#include "db/conexion.h"

namespace engine {

// server + "/" + "datos" + "/" + "general.fdb"
std::string nombreBaseGeneral(const std::string& servidor);
// server + "/datos/" + company + "/valdrex.fdb"
std::string nombreBaseCompania(const std::string& servidor, const std::string& compania);
// Peer database on a replication server: server + "\datos\" + company +
// "\valdrex.fdb". A server whose path (after an optional "host:") starts with
// "/" is a Unix server, which would read "\" as part of a file name; it gets
// "/" as separator instead.
std::string nombreBasePar(const std::string& servidor, const std::string& compania);

extern const char* const kSentenciaUsuarioReplicacion;
extern const char* const kSentenciaClaveReplicacion;
extern const char* const kSentenciaFechaBloqueo;

// First column of the first row of `sentencia` as text; empty when there is
// no row or the value is NULL.
std::string leerConfiguracion(db::Conexion& conexion, const std::string& sentencia);

// Sets the peer connection's name and, from the local database's settings,
// its user name and password. Does not connect.
void configurarPar(db::Conexion& par, db::Conexion& local, const std::string& servidor, const std::string& compania);

}  // namespace engine
