#include "engine/evento.h"

#include "db/errores.h"
#include "db/sql.h"

namespace engine {

using db::quoted;

std::string Evento::iddocClave() const { return db::claveNumerica(iddoc.comoTextoONulo()); }

std::vector<Evento> leerEventos(const db::ConjuntoFilas& filas) {
    std::vector<Evento> r;
    if (filas.vacio()) return r;
    auto col = [&](const char* n) { return filas.indice(n); };
    const size_t cId = col("RPEV_ID"), cCompania = col("RPEV_COMPANIA"), cTipo = col("RPEV_TIPO"),
                 cIddoc = col("RPEV_IDDOC"), cPref = col("RPEV_PREF"), cNumero = col("RPEV_NUMERO"),
                 cCodigo = col("RPEV_CODIGO"), cOper = col("RPEV_OPER"), cPrefdest = col("RPEV_PREFDEST"),
                 cPtvt = col("RPEV_PTVT"), cError = col("RPEV_ERROR");
    for (size_t i = 0; i < filas.numFilas(); ++i) {
        Evento e;
        e.id = filas.valor(i, cId).comoEntero();
        e.compania = filas.valor(i, cCompania).comoTextoONulo();
        e.tipo = filas.valor(i, cTipo).comoEntero();
        e.iddoc = filas.valor(i, cIddoc);
        e.pref = filas.valor(i, cPref).comoTextoONulo();
        e.numero = filas.valor(i, cNumero).comoTextoONulo();
        e.codigo = filas.valor(i, cCodigo).comoTextoONulo();
        e.oper = filas.valor(i, cOper).comoTextoONulo();
        e.prefdest = filas.valor(i, cPrefdest).comoTextoONulo();
        e.ptvt = filas.valor(i, cPtvt);
        e.error = filas.valor(i, cError);
        r.push_back(std::move(e));
    }
    return r;
}

namespace cola {

const char* const kUltimaReplicacion =
    "SELECT FIRST 1 RPEV_ID, RPEV_FECREP, RPEV_HORAREP FROM replica_eventos ORDER BY RPEV_FECREP DESC, RPEV_HORAREP "
    "DESC";
const char* const kCompaniasDestino =
    "select distinct r.rpev_compania from replica_eventos r WHERE RPEV_COMPANIA <> '' AND (R.rpev_fecrep IS NULL)";
const char* const kSinEnvios = "Sin envios hasta ahora.";

std::string purga(const db::Fecha& hoy) {
    return "delete from replica_eventos r WHERE (R.rpev_fecrep IS NOT NULL) AND (R.rpev_fecrep < " +
           quoted(fechaSql(sumarDias(hoy, -7))) + ")";
}

std::string pendientes(Fase fase, const std::string& cantidad, const std::string& compania, bool recientePrimero,
                       bool saltarFallidos) {
    db::claveNumerica(cantidad);  // throws unless a whole number
    std::string sql = fase == Fase::A
                          ? "select first " + cantidad +
                                " * from replica_eventos where rpev_fecrep is null and rpev_compania = " +
                                quoted(compania)
                          : "select first " + cantidad +
                                " * from replica_eventos where (rpev_tipo <> 236) and rpev_fecrep is null and "
                                "rpev_compania = " +
                                quoted(compania);
    if (saltarFallidos) sql += " AND RPEV_ERROR IS NULL";
    sql += recientePrimero ? " order by rpev_fecreg desc, rpev_horareg desc" : " order by rpev_fecreg, rpev_horareg";
    return sql;
}

std::string estampar(int64_t idEvento, const Momento& m) {
    return "UPDATE REPLICA_EVENTOS SET RPEV_FECREP = " + quoted(fechaSql(m.fecha)) +
           ", RPEV_HORAREP = " + quoted(horaSql(m.hora)) + " where RPEV_ID = " + db::claveNumerica(idEvento);
}

std::string guardarError(int64_t idEvento, const std::string& mensaje) {
    return "UPDATE REPLICA_EVENTOS SET RPEV_ERROR = " + quoted(mensaje.substr(0, kLargoError)) +
           " where RPEV_ID = " + db::claveNumerica(idEvento);
}

std::string agenciaDelPrefijo(const Evento& e) {
    return "select sucu_id from prefijos where tido_cod = " + db::claveNumerica(e.tipo) +
           " and pref_pre = " + quoted(e.pref);
}

bool saltarPorPrefijo(const std::string& filtro, const Evento& e) {
    return !filtro.empty() && !e.pref.empty() && filtro != e.pref;
}

std::string textoUltimaReplicacion(const db::ConjuntoFilas& r) {
    if (r.vacio()) return kSinEnvios;
    const db::Valor& fecha = r.valor(0, "RPEV_FECREP");
    if (fecha.esNulo()) return kSinEnvios;
    const db::Valor& hora = r.valor(0, "RPEV_HORAREP");
    return fechaCorta(fecha.fechaValor()) + " - " + (hora.esNulo() ? std::string() : horaLarga(hora.horaValor()));
}

}  // namespace cola

}  // namespace engine
