// The login values and the three connections of an agent: the general
// database, the local company database and the peer connection.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "db/conexion.h"

namespace engine {

struct ValoresIngreso {
    std::string servidor;      // server location
    std::string usuario;       // login user, upper case
    std::string claveCifrada;  // login password, enciphered
};

struct CompaniaGeneral {
    std::string codigo;  // COMP_COD
    std::string nombre;  // COM_NOMBRE
};

class Sesion {
public:
    db::Conexion DbGeneral, DbCia, DBEnvio;

    // Closes the general connection, points it at server + "/datos/general.fdb"
    // with the user and password as typed, and opens it. Throws
    // db::ErrorBaseDatos; the login values are then unchanged.
    void conectarGeneral(const std::string& servidor, const std::string& usuario, const std::string& clave);
    // Login user in upper case, password enciphered.
    void fijarIngreso(const std::string& servidor, const std::string& usuario, const std::string& clave);
    const ValoresIngreso& ingreso() const { return ingreso_; }

    // COMPANIA of the general database.
    std::vector<CompaniaGeneral> companias();
    // The company change: opens the local database of `codigo` with the
    // login values and answers the agency list, "Todas" first. Throws
    // db::ErrorBaseDatos when the database cannot be opened.
    std::vector<std::string> elegirCompania(const std::string& codigo);
    const std::string& companiaActual() const { return compania_; }

private:
    ValoresIngreso ingreso_;
    std::string compania_;
};

std::string mayusculas(std::string texto);

}  // namespace engine
