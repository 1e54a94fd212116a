#include "engine/sesion.h"

#include "db/conjunto_filas.h"
#include "engine/ajustes.h"
#include "engine/cifrado.h"
#include "engine/corrida.h"

namespace engine {

std::string mayusculas(std::string texto) {
    for (char& c : texto)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return texto;
}

void Sesion::conectarGeneral(const std::string& servidor, const std::string& usuario, const std::string& clave) {
    DbGeneral.cerrar();
    DbGeneral.fijarBase(nombreBaseGeneral(servidor));
    DbGeneral.fijarUsuario(usuario);
    DbGeneral.fijarClave(clave);
    DbGeneral.abrir();
}

void Sesion::fijarIngreso(const std::string& servidor, const std::string& usuario, const std::string& clave) {
    ingreso_ = {servidor, mayusculas(usuario), cifrar(clave)};
}

std::vector<CompaniaGeneral> Sesion::companias() {
    db::ConjuntoFilas r = DbGeneral.consultar("select * from COMPANIA order by COMP_COD");
    std::vector<CompaniaGeneral> lista;
    for (size_t i = 0; i < r.numFilas(); ++i)
        lista.push_back({r.valor(i, "COMP_COD").comoTextoONulo(), r.valor(i, "COM_NOMBRE").comoTextoONulo()});
    return lista;
}

std::vector<std::string> Sesion::elegirCompania(const std::string& codigo) {
    DbCia.cerrar();
    DbCia.fijarBase(nombreBaseCompania(ingreso_.servidor, codigo));
    DbCia.fijarUsuario(ingreso_.usuario);
    DbCia.fijarClave(descifrar(ingreso_.claveCifrada));
    DbCia.abrir();
    db::ConjuntoFilas r = DbCia.consultar("select * from SUCURSALES");
    std::vector<std::string> agencias{kAgenciaTodas};
    for (size_t i = 0; i < r.numFilas(); ++i) agencias.push_back(r.valor(i, "SUCU_NOMBRE").comoTextoONulo());
    compania_ = codigo;
    return agencias;
}

}  // namespace engine
