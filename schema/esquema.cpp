#include "schema/esquema.h"

#include "db/conjunto_filas.h"
#include "db/guion.h"
#include "db/sql.h"

namespace esquema {

// Generated at configure time from the .sql files.
extern const char* const kGuionGeneral;
extern const char* const kGuionCompania;
extern const char* const kGuionDemoCompania;

const std::string& guionGeneral() {
    static const std::string g = kGuionGeneral;
    return g;
}

const std::string& guionCompania() {
    static const std::string g = kGuionCompania;
    return g;
}

const std::string& guionDemoCompania() {
    static const std::string g = kGuionDemoCompania;
    return g;
}

void crearBaseGeneral(db::Conexion& conexion) {
    conexion.crearBase();
    db::ejecutarGuion(conexion, guionGeneral());
}

void crearBaseCompania(db::Conexion& conexion, int64_t inicioGeneradores) {
    conexion.crearBase();
    db::ejecutarGuion(conexion, guionCompania());
    reiniciarGeneradores(conexion, inicioGeneradores);
}

void reiniciarGeneradores(db::Conexion& conexion, int64_t inicio) {
    db::ConjuntoFilas g = conexion.consultar(
        "select trim(rdb$generator_name) from rdb$generators where coalesce(rdb$system_flag, 0) = 0");
    for (size_t i = 0; i < g.numFilas(); ++i)
        conexion.ejecutar("ALTER SEQUENCE " + g.valor(i, 0).comoTexto() + " RESTART WITH " +
                          db::claveNumerica(inicio));
}

}  // namespace esquema
