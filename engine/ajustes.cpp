#include "engine/ajustes.h"

#include "db/conjunto_filas.h"

namespace engine {

const char* const kSentenciaUsuarioReplicacion =
    "select conf_valor from configuracion where conf_modulo = 'INVENTARIO' and conf_categoria = 'ARTICULOS' and "
    "conf_propiedad = 'NOMBRE DE USUARIO PARA REPLICACION DE ARTICULOS'";
const char* const kSentenciaClaveReplicacion =
    "select conf_valor from configuracion where conf_modulo = 'INVENTARIO' and conf_categoria = 'ARTICULOS' and "
    "conf_propiedad = 'CLAVE DE USUARIO PARA REPLICACION DE ARTICULOS'";
const char* const kSentenciaFechaBloqueo =
    "select CONF_VALOR from CONFIGURACION where CONF_MODULO = 'CONTABILIDAD' and CONF_CATEGORIA = 'GENERAL' and "
    "CONF_PROPIEDAD = 'FECHA DE BLOQUEO'";

std::string nombreBaseGeneral(const std::string& servidor) { return servidor + "/" + "datos" + "/" + "general.fdb"; }

std::string nombreBaseCompania(const std::string& servidor, const std::string& compania) {
    return servidor + "/datos/" + compania + "/valdrex.fdb";
}

std::string nombreBasePar(const std::string& servidor, const std::string& compania) {
    // A one-letter "host" is a Windows drive (C:\ERP), not a host name.
    size_t dosPuntos = servidor.find(':');
    std::string ruta = (dosPuntos == std::string::npos || dosPuntos == 1) ? servidor : servidor.substr(dosPuntos + 1);
    std::string s = (!ruta.empty() && ruta[0] == '/') ? "/" : "\\";
    return servidor + s + "datos" + s + compania + s + "valdrex.fdb";
}

std::string leerConfiguracion(db::Conexion& conexion, const std::string& sentencia) {
    db::ConjuntoFilas r = conexion.consultar(sentencia);
    if (r.vacio() || r.numColumnas() == 0) return {};
    return r.valor(0, 0).comoTextoONulo();
}

void configurarPar(db::Conexion& par, db::Conexion& local, const std::string& servidor, const std::string& compania) {
    par.fijarBase(nombreBasePar(servidor, compania));
    par.fijarUsuario(leerConfiguracion(local, kSentenciaUsuarioReplicacion));
    par.fijarClave(leerConfiguracion(local, kSentenciaClaveReplicacion));
}

}  // namespace engine
