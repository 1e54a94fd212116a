#include "schema/demo.h"

#include "db/conjunto_filas.h"
#include "db/guion.h"
#include "db/sql.h"
#include "schema/esquema.h"

namespace esquema {

using db::Valor;

void configurarCompania(db::Conexion& c, const std::string& ubicacion, const std::vector<std::string>& pares,
                        const std::string& usuario, const std::string& clave) {
    const std::string conf =
        "INSERT INTO CONFIGURACION (CONF_MODULO, CONF_CATEGORIA, CONF_PROPIEDAD, CONF_VALOR) VALUES (?, ?, ?, ?)";
    c.ejecutar(conf, {Valor::texto("INVENTARIO"), Valor::texto("ARTICULOS"),
                      Valor::texto("NOMBRE DE USUARIO PARA REPLICACION DE ARTICULOS"), Valor::texto(usuario)});
    c.ejecutar(conf, {Valor::texto("INVENTARIO"), Valor::texto("ARTICULOS"),
                      Valor::texto("CLAVE DE USUARIO PARA REPLICACION DE ARTICULOS"), Valor::texto(clave)});
    db::ejecutarGuion(c, guionDemoCompania());
    for (const std::string& par : pares)
        c.ejecutar("INSERT INTO REPLICA_COMPANIA (RPCO_COD, RPCP_NOMBRE, RPCO_SERVIDOR, RPCO_ACTIVA) VALUES (?, ?, ?, 'S')",
                   {Valor::texto(par), Valor::texto("Compañía " + par), Valor::texto(ubicacion)});
}

int64_t encolarEvento(db::Conexion& c, const EventoNuevo& e) {
    db::ConjuntoFilas r = c.consultar(
        "INSERT INTO REPLICA_EVENTOS (RPEV_COMPANIA, RPEV_TIPO, RPEV_IDDOC, RPEV_PREF, RPEV_NUMERO, RPEV_CODIGO, "
        "RPEV_OPER, RPEV_PREFDEST, RPEV_FECREG, RPEV_HORAREG) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, CURRENT_DATE, DATEADD(? SECOND TO TIME '08:00:00')) RETURNING RPEV_ID",
        {Valor::texto(e.compania), Valor::entero(e.tipo), e.iddoc, Valor::texto(e.pref), Valor::texto(e.numero),
         Valor::texto(e.codigo), Valor::texto(e.oper), Valor::texto(e.prefdest), Valor::entero(e.segundo)});
    return r.valor(0, 0).comoEntero();
}

namespace {

struct FormaDocumento {
    const char* encabezado;
    const char* detalle;
    const char* prefijoColumna;   // header columns
    const char* prefijoDetalle;   // detail columns
};

const FormaDocumento kFormas[] = {
    {"ENTRADAS", "ENTRADAS_DETALLE", "ENTR", "ENDE"},
    {"SALIDAS", "SALIDAS_DETALLE", "SALI", "SADE"},
};

}  // namespace

int64_t crearDocumentoInventario(db::Conexion& c, int tipo, const std::string& pref, const std::string& numero,
                                 const std::vector<LineaDemo>& lineas) {
    const FormaDocumento& f = kFormas[tipo == 11 ? 0 : 1];
    const std::string p = f.prefijoColumna, d = f.prefijoDetalle;
    db::ConjuntoFilas r = c.consultar(
        "INSERT INTO " + std::string(f.encabezado) + " (TIDO_COD, PREF_PRE, BODE_COD, " + p + "_NUMERO, " + p +
            "_FECHA, " + p + "_CONC, " + p + "_ANULADO, " + p + "_OBS, NUMOK, " + p + "_TOTAL, " + p +
            "_USUARIO) VALUES (?, ?, '01', ?, CURRENT_DATE, ?, 'N', ?, 'S', ?, 'DEMO') RETURNING " + p + "_ID",
        {Valor::entero(tipo), Valor::texto(pref), Valor::texto(numero),
         Valor::texto("Documento " + pref + " " + numero), Valor::blobTexto("Observación del documento " + numero),
         Valor::decimal(100000 + static_cast<int64_t>(lineas.size()) * 2550, 2)});
    int64_t id = r.valor(0, 0).comoEntero();
    int item = 0;
    for (const LineaDemo& l : lineas)
        c.ejecutar("INSERT INTO " + std::string(f.detalle) + " (" + p + "_ID, " + d + "_ITEM, ARTI_COD, BODE_COD, " + d +
                       "_CANT, " + d + "_COSTO, " + d + "_DESC) VALUES (?, ?, ?, '01', ?, 1234.5678, ?)",
                   {Valor::entero(id), Valor::entero(++item), Valor::texto(l.articulo), Valor::texto(l.cantidad),
                    Valor::texto("Artículo " + l.articulo)});
    return id;
}

int64_t crearAjuste(db::Conexion& c, const std::string& pref, const std::vector<LineaDemo>& lineas) {
    db::ConjuntoFilas r = c.consultar(
        "INSERT INTO AJUSTES (TIDO_COD, PREF_PRE, AJUS_FECHA, BODE_COD, AJUS_CONC, AJUS_ANULADO, NUMOK) "
        "VALUES (14, ?, CURRENT_DATE, '01', 'Conteo físico', 'N', 'S') RETURNING AJUS_ID",
        {Valor::texto(pref)});
    int64_t id = r.valor(0, 0).comoEntero();
    int item = 0;
    for (const LineaDemo& l : lineas)
        c.ejecutar("INSERT INTO AJUSTES_DETALLE (AJUS_ID, AJDE_ITEM, ARTI_COD, BODE_COD, AJDE_CANT) VALUES (?, ?, ?, '01', ?)",
                   {Valor::entero(id), Valor::entero(++item), Valor::texto(l.articulo), Valor::texto(l.cantidad)});
    return id;
}

void cargarDemo(db::Conexion& c001, db::Conexion& c002) {
    // Company 002 takes no receipt line without a quantity: the second
    // receipt of 001 has one, so its event stays pending with the message.
    c002.ejecutar("ALTER TABLE ENTRADAS_DETALLE ADD CONSTRAINT CK_ENDE_CANT_POSITIVA CHECK (ENDE_CANT > 0)");

    int64_t en1 = crearDocumentoInventario(c001, 11, "EN", "000001", {{"A-100", "3"}, {"A-200", "1.5"}, {"B-300", "12"}});
    int64_t en2 = crearDocumentoInventario(c001, 11, "EN", "000002", {{"A-100", "2"}, {"C-400", "0"}});
    int64_t sa1 = crearDocumentoInventario(c001, 12, "SA", "000001", {{"A-100", "1"}, {"A-200", "0.5"}});
    int64_t aj1 = crearAjuste(c001, "AJ", {{"A-100", "-1"}, {"B-300", "4"}});
    encolarEvento(c001, {"002", 11, Valor::entero(en1), "EN", "000001", "", "C", "", 1});
    encolarEvento(c001, {"002", 11, Valor::entero(en2), "EN", "000002", "", "C", "", 2});
    encolarEvento(c001, {"002", 12, Valor::entero(sa1), "SA", "000001", "", "C", "", 3});
    encolarEvento(c001, {"002", 14, Valor::entero(aj1), "AJ", "000001", "", "C", "AJB", 4});

    int64_t en10 = crearDocumentoInventario(c002, 11, "EN", "000010", {{"A-100", "5"}, {"D-500", "7.25"}});
    int64_t sa10 = crearDocumentoInventario(c002, 12, "SB", "000010", {{"D-500", "2"}});
    encolarEvento(c002, {"001", 11, Valor::entero(en10), "EN", "000010", "", "C", "", 1});
    encolarEvento(c002, {"001", 12, Valor::entero(sa10), "SB", "000010", "", "C", "", 2});
}

}  // namespace esquema
