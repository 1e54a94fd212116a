// Fresh databases for tests, each in its own temporary folder, removed
// afterwards. The environment variable REPLICADOR_PRUEBAS_SERVIDOR (a host,
// e.g. localhost) makes every database open through that server instead of
// the embedded engine; outside CI a server that does not answer skips the
// test, in CI it fails.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "db/conexion.h"

namespace pruebas {

// "host:" when the tests run through a server, "" when embedded.
std::string prefijoServidor();
bool modoServidor();
std::string usuarioPruebas();
std::string clavePruebas();

class CarpetaTemporal {
public:
    CarpetaTemporal();
    ~CarpetaTemporal();
    const std::string& ruta() const { return ruta_; }
    // Database name of a file in this folder, as a client opens it.
    std::string nombreBase(const std::string& relativo) const { return prefijoServidor() + ruta_ + "/" + relativo; }

private:
    std::string ruta_;
};

// Opens a connection with the test credentials to `nombre`.
std::unique_ptr<db::Conexion> conectar(const std::string& nombre);

// Creates an empty database through the current mode and runs `guion` in it.
std::unique_ptr<db::Conexion> crearBase(const std::string& nombre, const std::string& guion);

// Skips (or fails in CI) when the server mode is on and no server answers.
void exigirServidorSiHaceFalta();

}  // namespace pruebas
