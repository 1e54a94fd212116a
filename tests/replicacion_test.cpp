// Replication runs end to end between real company databases: documents
// copied in both phases, failures that leave the target as it was, queue
// selection, connection failures and the logs.
#include <gtest/gtest.h>

#include <algorithm>

#include "apoyo/replicacion_prueba.h"
#include "db/errores.h"
#include "db/sql.h"
#include "engine/bitacora.h"
#include "engine/formato.h"
#include "handlers/catalogo.h"

using db::Valor;
using engine::AjustesCorrida;
using esquema::EventoNuevo;
using pruebas::Replicacion;

namespace {

int64_t entero(db::Conexion& c, const std::string& sql) {
    db::ConjuntoFilas r = c.consultar(sql);
    return r.vacio() ? -1 : r.valor(0, 0).comoEntero();
}

std::string texto(db::Conexion& c, const std::string& sql) {
    db::ConjuntoFilas r = c.consultar(sql);
    return r.vacio() ? "<sin fila>" : r.valor(0, 0).comoTextoONulo();
}

struct Fase {
    const char* nombre;
    const char* origen;   // company whose database holds the document and the event
    const char* destino;  // company it is copied to
};

// Phase A: 001 runs and downloads what 002 holds for it. Phase B: 001
// uploads to 002.
const Fase kFases[] = {{"fase A", "002", "001"}, {"fase B", "001", "002"}};

class Documentos : public Replicacion, public ::testing::WithParamInterface<Fase> {
protected:
    db::Conexion& origen() { return cia(GetParam().origen); }
    db::Conexion& destino() { return cia(GetParam().destino); }
    int64_t encolar(int tipo, int64_t iddoc, const std::string& pref, const std::string& numero,
                    const std::string& oper = "C", const std::string& prefdest = "") {
        static int segundo = 0;
        return esquema::encolarEvento(origen(), {GetParam().destino, tipo, Valor::entero(iddoc), pref, numero, "",
                                                 oper, prefdest, ++segundo});
    }
};

TEST_P(Documentos, DocumentoNuevoLlegaConIdDelGeneradorYSusLineas) {
    int64_t idOrigen = esquema::crearDocumentoInventario(origen(), 11, "EN", "000123",
                                                         {{"A-1", "1"}, {"A-2", "2.5"}, {"A-3", "12.34567"}});
    int64_t ev = encolar(11, idOrigen, "EN", "000123");
    auto r = correr();
    EXPECT_FALSE(r.terminoConError) << r.detalle;
    EXPECT_FALSE(pendiente(origen(), ev));

    db::ConjuntoFilas enc = destino().consultar("select * from ENTRADAS where PREF_PRE = 'EN' and ENTR_NUMERO = '000123'");
    ASSERT_EQ(enc.numFilas(), 1u);
    int64_t idDestino = enc.valor(0, "ENTR_ID").comoEntero();
    EXPECT_NE(idDestino, idOrigen);
    EXPECT_EQ(enc.valor(0, "NUMOK").comoTexto(), "N");
    EXPECT_EQ(enc.valor(0, "ENTR_OBS").comoTexto(), "Observación del documento 000123");
    EXPECT_EQ(entero(destino(), "select count(*) from ENTRADAS_DETALLE where ENTR_ID = " + std::to_string(idDestino)), 3);
    EXPECT_EQ(texto(destino(), "select ENDE_CANT from ENTRADAS_DETALLE where ARTI_COD = 'A-3'"), "12.3457");
    // The source's id is written nowhere in the target.
    EXPECT_EQ(entero(destino(), "select count(*) from ENTRADAS_DETALLE where ENTR_ID = " + std::to_string(idOrigen)), 0);
    EXPECT_EQ(entero(destino(), "select count(*) from ENTRADAS where ENTR_ID = " + std::to_string(idOrigen)), 0);
}

TEST_P(Documentos, DocumentoExistenteSeActualizaEnSuSitio) {
    int64_t idOrigen = esquema::crearDocumentoInventario(origen(), 12, "SA", "000007", {{"A-1", "1"}, {"A-2", "2"}});
    encolar(12, idOrigen, "SA", "000007");
    correr();
    int64_t idDestino = entero(destino(), "select SALI_ID from SALIDAS where SALI_NUMERO = '000007'");
    ASSERT_GT(idDestino, 0);

    origen().ejecutar("update SALIDAS set SALI_CONC = 'corregida' where SALI_ID = " + std::to_string(idOrigen));
    origen().ejecutar("delete from SALIDAS_DETALLE where SALI_ID = " + std::to_string(idOrigen) + " and ARTI_COD = 'A-1'");
    origen().ejecutar("insert into SALIDAS_DETALLE (SALI_ID, ARTI_COD, SADE_CANT) values (" + std::to_string(idOrigen) +
                      ", 'B-9', 9)");
    int64_t ev = encolar(12, idOrigen, "SA", "000007");
    auto r = correr();
    EXPECT_FALSE(pendiente(origen(), ev)) << r.detalle;
    EXPECT_EQ(entero(destino(), "select count(*) from SALIDAS"), 1);
    EXPECT_EQ(entero(destino(), "select SALI_ID from SALIDAS"), idDestino);
    EXPECT_EQ(texto(destino(), "select SALI_CONC from SALIDAS"), "corregida");
    EXPECT_EQ(volcado(destino(), "select ARTI_COD from SALIDAS_DETALLE where SALI_ID = " + std::to_string(idDestino) +
                                     " order by ARTI_COD"),
              (std::vector<std::string>{"A-2", "B-9"}));
}

TEST_P(Documentos, BorrarYAnularPorClaveDeNegocio) {
    int64_t a = esquema::crearDocumentoInventario(origen(), 11, "EN", "000001", {{"A-1", "1"}});
    int64_t b = esquema::crearDocumentoInventario(origen(), 11, "EN", "000002", {{"A-1", "1"}});
    encolar(11, a, "EN", "000001");
    encolar(11, b, "EN", "000002");
    correr();
    ASSERT_EQ(entero(destino(), "select count(*) from ENTRADAS"), 2);

    int64_t anular = encolar(11, a, "EN", "000001", "A");
    int64_t borrar = encolar(11, b, "EN", "000002", "D");
    int64_t borrarAusente = encolar(11, b, "EN", "999999", "D");
    correr();
    for (int64_t ev : {anular, borrar, borrarAusente}) EXPECT_FALSE(pendiente(origen(), ev));
    EXPECT_EQ(texto(destino(), "select ENTR_ANULADO from ENTRADAS where ENTR_NUMERO = '000001'"), "S");
    EXPECT_EQ(entero(destino(), "select count(*) from ENTRADAS_DETALLE d join ENTRADAS e on e.ENTR_ID = d.ENTR_ID "
                                "where e.ENTR_NUMERO = '000001'"),
              1)
        << "anular no toca las líneas";
    EXPECT_EQ(entero(destino(), "select count(*) from ENTRADAS where ENTR_NUMERO = '000002'"), 0);

    // Operations compare exactly: a lower-case "d" or an empty one copies.
    for (const char* oper : {"d", ""}) {
        SCOPED_TRACE(std::string("oper '") + oper + "'");
        destino().ejecutar("update ENTRADAS set ENTR_ANULADO = 'S'");
        encolar(11, a, "EN", "000001", oper);
        correr();
        EXPECT_EQ(texto(destino(), "select ENTR_ANULADO from ENTRADAS where ENTR_NUMERO = '000001'"), "N");
    }
}

TEST_P(Documentos, AjusteSeArchivaConElPrefijoDestinoYSeEncuentraPorConcepto) {
    int64_t aj = esquema::crearAjuste(origen(), "AJ", {{"A-1", "-2"}});
    origen().ejecutar("update AJUSTES set NUMOK = 'S'");
    encolar(14, aj, "AJ", "000123", "C", "AJB");
    correr();
    const std::string fila = "select PREF_PRE, AJUS_CONC, NUMOK, AJUS_ANULADO, AJUS_ID from AJUSTES";
    auto antes = volcado(destino(), fila);
    ASSERT_EQ(antes.size(), 1u);
    EXPECT_EQ(antes[0].substr(0, antes[0].rfind('|')), "AJB|Ajuste No.AJ000123|N|N");

    encolar(14, aj, "AJ", "000123", "C", "AJB");  // a second copy updates the same row
    encolar(14, aj, "AJ", "000123", "A");
    correr();
    auto despues = volcado(destino(), fila);
    ASSERT_EQ(despues.size(), 1u);
    EXPECT_EQ(despues[0], "AJB|Ajuste No.AJ000123|N|S|" + antes[0].substr(antes[0].rfind('|') + 1));
}

TEST_P(Documentos, LineaRechazadaDejaElDestinoComoEstaba) {
    destino().ejecutar("ALTER TABLE ENTRADAS_DETALLE ADD CONSTRAINT CK_CANT_POSITIVA CHECK (ENDE_CANT > 0)");
    const std::string todo = "select * from ENTRADAS order by ENTR_ID";
    const std::string lineas = "select * from ENTRADAS_DETALLE order by ENTR_ID, ENDE_ITEM";

    // A new document: nothing of it may stay.
    int64_t nuevo = esquema::crearDocumentoInventario(origen(), 11, "EN", "000050", {{"A-1", "1"}, {"A-2", "0"}, {"A-3", "1"}});
    int64_t evNuevo = encolar(11, nuevo, "EN", "000050");
    // An existing document whose new version has a refused line: the old
    // header and the old lines must stay.
    int64_t viejo = esquema::crearDocumentoInventario(origen(), 11, "EN", "000051", {{"B-1", "1"}, {"B-2", "2"}});
    encolar(11, viejo, "EN", "000051");
    correr();
    ASSERT_TRUE(pendiente(origen(), evNuevo));
    EXPECT_EQ(entero(destino(), "select count(*) from ENTRADAS where ENTR_NUMERO = '000050'"), 0);
    auto encabezadosAntes = volcado(destino(), todo);
    auto lineasAntes = volcado(destino(), lineas);
    ASSERT_EQ(encabezadosAntes.size(), 1u);

    origen().ejecutar("update ENTRADAS set ENTR_CONC = 'nueva versión' where ENTR_ID = " + std::to_string(viejo));
    origen().ejecutar("update ENTRADAS_DETALLE set ENDE_CANT = 0 where ARTI_COD = 'B-2'");
    int64_t evViejo = encolar(11, viejo, "EN", "000051");
    auto r = correr();
    EXPECT_EQ(r.fallidos, 2);
    EXPECT_TRUE(pendiente(origen(), evViejo));
    EXPECT_NE(errorDeEvento(origen(), evViejo).find("CK_CANT_POSITIVA"), std::string::npos)
        << errorDeEvento(origen(), evViejo);
    EXPECT_EQ(volcado(destino(), todo), encabezadosAntes);
    EXPECT_EQ(volcado(destino(), lineas), lineasAntes);
    EXPECT_EQ(observador.resultados[evViejo], engine::ResultadoEvento::Fallido);
    EXPECT_GE(observador.pitidos, 2);
}

TEST_P(Documentos, ComillaEnElPrefijoNoCambiaLaSentencia) {
    int64_t aj = esquema::crearAjuste(origen(), "AJ", {{"A-1", "1"}});
    int64_t en = esquema::crearDocumentoInventario(origen(), 11, "O'K", "000001", {{"A-1", "1"}});
    int64_t evAjuste = encolar(14, aj, "O'K", "0' --", "C", "AJB");
    int64_t evEntrada = encolar(11, en, "O'K", "000001");
    auto r = correr();
    EXPECT_FALSE(r.terminoConError) << r.detalle;
    EXPECT_FALSE(pendiente(origen(), evAjuste));
    EXPECT_FALSE(pendiente(origen(), evEntrada));
    EXPECT_EQ(texto(destino(), "select AJUS_CONC from AJUSTES"), "Ajuste No.O'K0' --");
    EXPECT_EQ(entero(destino(), "select count(*) from ENTRADAS where PREF_PRE = 'O''K'"), 1);
    encolar(14, aj, "O'K", "0' --", "A");
    correr();
    EXPECT_EQ(texto(destino(), "select AJUS_ANULADO from AJUSTES"), "S");
}

INSTANTIATE_TEST_SUITE_P(Fases, Documentos, ::testing::ValuesIn(kFases),
                         [](const auto& info) { return std::string(info.param.nombre) == "fase A" ? "FaseA" : "FaseB"; });

// --- Queue selection --------------------------------------------------------

class Cola : public Replicacion {
protected:
    int64_t evento(int tipo, const std::string& pref, int segundo, const std::string& compania = "002",
                   const std::string& oper = "C") {
        return esquema::encolarEvento(cia("001"), {compania, tipo, Valor::entero(0), pref, "000001", "", oper, "", segundo});
    }
    std::vector<int64_t> procesados() {
        std::vector<int64_t> r;
        for (const std::string& l : lineasArchivo(engine::kArchivoEnvio)) {
            size_t a = l.find(','), b = l.find(',', a + 1), c = l.find(',', b + 1);
            r.push_back(std::stoll(l.substr(b + 1, c - b - 1)));
        }
        return r;
    }
};

TEST_F(Cola, CantidadOrdenYRecientePrimero) {
    // Type 0 has no handler: each event is logged and stamped.
    int64_t e1 = evento(0, "", 1), e2 = evento(0, "", 2), e3 = evento(0, "", 3), e4 = evento(0, "", 4);
    AjustesCorrida a;
    a.operaciones = "3";
    a.recientePrimero = true;
    correr(a);
    EXPECT_EQ(procesados(), (std::vector<int64_t>{e4, e3, e2}));
    EXPECT_TRUE(pendiente(cia("001"), e1));
    EXPECT_NE(std::find(observador.progresos.begin(), observador.progresos.end(), std::pair<int, int>{3, 0}),
              observador.progresos.end())
        << "la barra de la fase B empieza en 0 de 3";

    a.operaciones = "";
    correr(a);
    EXPECT_FALSE(pendiente(cia("001"), e1));
    EXPECT_EQ(observador.ultimasReplicaciones.size(), 4u);
}

TEST_F(Cola, CantidadQueNoEsNumeroTerminaLaCorrida) {
    evento(0, "", 1);
    AjustesCorrida a;
    a.operaciones = "1 * from rdb$database --";
    auto r = correr(a);
    EXPECT_TRUE(r.terminoConError);
    EXPECT_NE(r.error.find("no es un número entero"), std::string::npos) << r.error;
    EXPECT_EQ(observador.temporizadores.back(), (std::pair<bool, int>{true, 60000}))
        << "el temporizador se rearma igual";
}

TEST_F(Cola, FiltroDePrefijoYTipos) {
    struct Caso {
        int tipo;
        const char* pref;
        bool quedaPendiente;
    };
    const Caso casos[] = {
        {0, "FV", false},    // same prefix: applied (no handler: just stamped)
        {0, "RC", true},     // another prefix: skipped, pending
        {0, "", false},      // no prefix: applied
        {236, "FV", true},   // never selected from the local queue
        {300, "FV", false},  // outside the catalogue: stamped
        {-1, "FV", false},
        {19, "FV", false},
    };
    std::vector<int64_t> ids;
    int s = 0;
    for (const Caso& c : casos) ids.push_back(evento(c.tipo, c.pref, ++s));
    AjustesCorrida a;
    a.prefijo = "FV";
    auto r = correr(a);
    for (size_t i = 0; i < ids.size(); ++i) {
        SCOPED_TRACE("tipo " + std::to_string(casos[i].tipo) + " prefijo " + casos[i].pref);
        EXPECT_EQ(pendiente(cia("001"), ids[i]), casos[i].quedaPendiente);
        EXPECT_TRUE(errorDeEvento(cia("001"), ids[i]).empty());
    }
    EXPECT_EQ(r.omitidos, 1);
    EXPECT_EQ(procesados().size(), 6u) << "el tipo 236 no se selecciona ni se registra";
}

TEST_F(Cola, TipoExcluidoEnLaColaDelServidorSeEstampa) {
    int64_t ev = esquema::encolarEvento(cia("002"), {"001", 236, Valor::entero(0), "", "", "", "C", "", 1});
    correr();
    EXPECT_FALSE(pendiente(cia("002"), ev));
}

TEST_F(Cola, NoReintentarErroresSaltaLosFallidos) {
    int64_t fallido = evento(0, "", 1), sano = evento(0, "", 2);
    cia("001").ejecutar(engine::cola::guardarError(fallido, "antes falló"));
    AjustesCorrida a;
    a.noReintentarErrores = true;
    correr(a);
    EXPECT_TRUE(pendiente(cia("001"), fallido));
    EXPECT_FALSE(pendiente(cia("001"), sano));
    a.noReintentarErrores = false;
    correr(a);
    EXPECT_FALSE(pendiente(cia("001"), fallido));
}

TEST_F(Cola, PurgaConservaSieteDiasYBorraOcho) {
    int64_t siete = evento(0, "", 1, "002"), ocho = evento(0, "", 2, "002"), pendienteViejo = evento(0, "", 3, "");
    auto fecha = [](int dias) { return db::quoted(engine::fechaSql(engine::sumarDias(engine::ahora().fecha, -dias))); };
    cia("001").ejecutar("update REPLICA_EVENTOS set RPEV_FECREP = " + fecha(7) + " where RPEV_ID = " + std::to_string(siete));
    cia("001").ejecutar("update REPLICA_EVENTOS set RPEV_FECREP = " + fecha(8) + " where RPEV_ID = " + std::to_string(ocho));
    correr();
    EXPECT_EQ(entero(cia("001"), "select count(*) from REPLICA_EVENTOS where RPEV_ID = " + std::to_string(siete)), 1);
    EXPECT_EQ(entero(cia("001"), "select count(*) from REPLICA_EVENTOS where RPEV_ID = " + std::to_string(ocho)), 0);
    EXPECT_TRUE(pendiente(cia("001"), pendienteViejo)) << "sin compañía destino nunca se envía";
}

TEST_F(Cola, SeleccionVaciaNoEscribeNada) {
    auto r = correr();
    EXPECT_TRUE(r.iniciada);
    EXPECT_EQ(r.estampados, 0);
    EXPECT_TRUE(lineasArchivo(engine::kArchivoEnvio).empty());
    EXPECT_EQ(observador.ultimasReplicaciones.front(), "Sin envios hasta ahora.");
    EXPECT_EQ(observador.botonMensajes.front(), false);
    EXPECT_EQ(observador.temporizadores.back(), (std::pair<bool, int>{true, 60000}));
}

TEST_F(Cola, SinCompaniaNoHaceNada) {
    AjustesCorrida a;
    a.companiaLocal = "";
    auto r = corrida->ejecutar(a);
    EXPECT_FALSE(r.iniciada);
    EXPECT_EQ(observador.mensajes, (std::vector<std::string>{"Debe indicar la compañía de origen."}));
    EXPECT_TRUE(observador.temporizadores.empty());
}

TEST_F(Cola, MinutosRearmanElTemporizador) {
    AjustesCorrida a;
    a.minutos = "5";
    EXPECT_EQ(correr(a).intervaloMs, 300000);
    EXPECT_EQ(observador.temporizadores.back(), (std::pair<bool, int>{true, 300000}));
    a.minutos = "cinco";
    auto r = correr(a);
    EXPECT_TRUE(r.terminoConError);
    EXPECT_EQ(r.intervaloMs, 300000) << "queda el intervalo anterior";
}

TEST_F(Cola, AgenciaElegidaSaltaPrefijosDeOtraAgencia) {
    cia("001").ejecutar("INSERT INTO PREFIJOS (TIDO_COD, PREF_PRE, SUCU_ID) VALUES (0, 'NO', 2)");
    cia("001").ejecutar("INSERT INTO PREFIJOS (TIDO_COD, PREF_PRE, SUCU_ID) VALUES (0, 'PR', 1)");
    int64_t norte = evento(0, "NO", 1), principal = evento(0, "PR", 2), sinPrefijo = evento(0, "XX", 3);
    AjustesCorrida a;
    a.agencia = "Principal";
    auto r = correr(a);
    EXPECT_TRUE(pendiente(cia("001"), norte));
    EXPECT_FALSE(pendiente(cia("001"), principal));
    EXPECT_FALSE(pendiente(cia("001"), sinPrefijo));
    EXPECT_EQ(r.omitidos, 1);
    a.agencia = "Todas";
    correr(a);
    EXPECT_FALSE(pendiente(cia("001"), norte));
    a.agencia = "Sur";
    EXPECT_TRUE(correr(a).terminoConError);
}

// --- Connections and logs ------------------------------------------------------

TEST_F(Replicacion, ServidorInalcanzableSeRegistraYLaFaseBSigue) {
    cia("001").ejecutar("update REPLICA_COMPANIA set RPCO_SERVIDOR = '" + carpeta.ruta() + "/no-existe' where RPCO_COD = '002'");
    cia("001").ejecutar("INSERT INTO REPLICA_COMPANIA (RPCO_COD, RPCO_SERVIDOR, RPCO_ACTIVA) VALUES ('003', " +
                        db::quoted(ubicacion()) + ", 'S')");
    cia("001").ejecutar("INSERT INTO REPLICA_COMPANIA (RPCO_COD, RPCO_SERVIDOR, RPCO_ACTIVA) VALUES ('004', " +
                        db::quoted(ubicacion()) + ", 'N')");
    int64_t a002 = esquema::encolarEvento(cia("001"), {"002", 0, Valor::entero(0), "", "1", "", "C", "", 1});
    int64_t a003 = esquema::encolarEvento(cia("001"), {"003", 0, Valor::entero(0), "", "2", "", "C", "", 2});
    int64_t a004 = esquema::encolarEvento(cia("001"), {"004", 0, Valor::entero(0), "", "3", "", "C", "", 3});
    auto r = correr();
    EXPECT_FALSE(r.terminoConError) << r.detalle;
    EXPECT_EQ(r.conexionesFallidas, 2) << "fase A y la compañía 002 en la fase B";
    EXPECT_TRUE(pendiente(cia("001"), a002));
    EXPECT_TRUE(errorDeEvento(cia("001"), a002).empty());
    EXPECT_FALSE(pendiente(cia("001"), a003));
    EXPECT_TRUE(pendiente(cia("001"), a004)) << "sin fila activa queda pendiente";

    auto fallos = lineasArchivo(engine::kArchivoErrorEnvio);
    ASSERT_EQ(fallos.size(), 2u);
    const std::string base = carpeta.ruta() + "/no-existe/datos/002/valdrex.fdb";
    EXPECT_EQ(fallos[0].substr(fallos[0].find(",", fallos[0].find(",") + 1) + 1),
              "No se pudo conectar con el servidor " + base + "\r");
    ASSERT_FALSE(observador.ultimosErrores.empty());
    EXPECT_EQ(observador.ultimosErrores[0].rfind("Ult. error:", 0), 0u);
    EXPECT_NE(observador.ultimosErrores[0].find(" No se pudo conectar con el servidor " + base), std::string::npos);
}

TEST_F(Replicacion, LineasDeBitacoraYMensajeConComilla) {
    // The target refuses with a message that holds a quote.
    cia("002").ejecutar("CREATE EXCEPTION E_RECHAZO 'no se acepta el documento ''EN'' aquí'");
    cia("002").ejecutar(
        "CREATE TRIGGER T_RECHAZO FOR ENTRADAS BEFORE INSERT AS BEGIN IF (NEW.ENTR_NUMERO = '000666') THEN EXCEPTION "
        "E_RECHAZO; END");
    int64_t doc = esquema::crearDocumentoInventario(cia("001"), 11, "EN", "000666", {{"A", "1"}});
    int64_t ev = esquema::encolarEvento(cia("001"), {"002", 11, Valor::entero(doc), "EN", "000666", "", "C", "", 1});
    correr();
    EXPECT_TRUE(pendiente(cia("001"), ev));
    EXPECT_NE(errorDeEvento(cia("001"), ev).find("no se acepta el documento 'EN' aquí"), std::string::npos)
        << errorDeEvento(cia("001"), ev);

    auto envio = lineasArchivo(engine::kArchivoEnvio);
    ASSERT_EQ(envio.size(), 1u);
    engine::Momento m = engine::ahora();
    const std::string esperada = engine::fechaCorta(m.fecha) + ",";
    EXPECT_EQ(envio[0].rfind(esperada, 0), 0u) << envio[0];
    EXPECT_EQ(envio[0].substr(envio[0].find(',', esperada.size()) + 1), std::to_string(ev) + ",11,EN000666\r");
}

TEST_F(Replicacion, ErrorQueTerminaLaCorridaQuedaEnElEventoYLosAnterioresEstampados) {
    int64_t antes = esquema::encolarEvento(cia("001"), {"002", 0, Valor::entero(0), "", "", "", "C", "", 1});
    int64_t roto = esquema::encolarEvento(cia("001"), {"002", 11, Valor::nulo(), "EN", "1", "", "C", "", 2});
    int64_t despues = esquema::encolarEvento(cia("001"), {"002", 0, Valor::entero(0), "", "", "", "C", "", 3});
    auto r = correr();
    EXPECT_TRUE(r.terminoConError);
    EXPECT_FALSE(r.silencioso);
    EXPECT_FALSE(pendiente(cia("001"), antes));
    EXPECT_TRUE(pendiente(cia("001"), roto));
    EXPECT_TRUE(pendiente(cia("001"), despues));
    EXPECT_EQ(errorDeEvento(cia("001"), roto), r.error);
    EXPECT_NE(r.error.find("no es un número entero"), std::string::npos);
    EXPECT_EQ(observador.temporizadores.back().first, true);
}

TEST_F(Replicacion, ErrorDePosteoTerminaLaCorridaEnSilencio) {
    cia("002").ejecutar("ALTER TABLE ENTRADAS ALTER ENTR_REFER SET NOT NULL");
    int64_t doc = esquema::crearDocumentoInventario(cia("001"), 11, "EN", "000001", {{"A", "1"}});
    int64_t previo = esquema::encolarEvento(cia("001"), {"002", 0, Valor::entero(0), "", "", "", "C", "", 1});
    int64_t ev = esquema::encolarEvento(cia("001"), {"002", 11, Valor::entero(doc), "EN", "000001", "", "C", "", 2});
    int64_t siguiente = esquema::encolarEvento(cia("001"), {"002", 0, Valor::entero(0), "", "", "", "C", "", 3});
    auto r = correr();
    EXPECT_TRUE(r.terminoConError);
    EXPECT_TRUE(r.silencioso);
    EXPECT_EQ(errorDeEvento(cia("001"), ev), "Field 'ENTR_REFER' must have a value");
    EXPECT_FALSE(pendiente(cia("001"), previo));
    EXPECT_TRUE(pendiente(cia("001"), siguiente));
    EXPECT_EQ(observador.pitidos, 1);
    EXPECT_EQ(entero(cia("002"), "select count(*) from ENTRADAS"), 0);
}

TEST_F(Replicacion, UnaCorridaPedidaMientrasOtraTrabajaNoHaceNada) {
    struct Reentrante : pruebas::ObservadorRegistro {
        engine::Corrida* corrida = nullptr;
        engine::ResumenCorrida anidada;
        bool intento = false;
        void leyenda(const std::string& t) override {
            if (!intento && corrida) {
                intento = true;
                engine::AjustesCorrida a;
                a.companiaLocal = "001";
                anidada = corrida->ejecutar(a);
            }
        }
    } reentrante;
    engine::Corrida c(local, par, handlers::catalogoCompleto(), reentrante, [this] { return directorio(); });
    reentrante.corrida = &c;
    engine::AjustesCorrida a;
    a.companiaLocal = "001";
    auto r = c.ejecutar(a);
    EXPECT_TRUE(r.iniciada);
    EXPECT_TRUE(reentrante.intento);
    EXPECT_FALSE(reentrante.anidada.iniciada);
    EXPECT_EQ(reentrante.terminadas, 1);
}

TEST_F(Replicacion, ConexionPerdidaEnMedioDeUnEventoNoDejaNadaYLaSiguienteCorridaSigue) {
    // The peer's attachment is killed from another connection just before
    // the handler of the second event runs.
    struct Corta : pruebas::ObservadorRegistro {
        db::Conexion* monitor = nullptr;
        int eventos = 0;
        void lineaEvento(const std::string& t) override {
            ObservadorRegistro::lineaEvento(t);
            if (++eventos == 2)
                monitor->ejecutar("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID <> CURRENT_CONNECTION "
                                  "and MON$SYSTEM_FLAG = 0");
        }
    } corta;
    auto monitor = pruebas::conectar(cia("002").base());
    corta.monitor = monitor.get();
    cia("002").cerrar();
    engine::Corrida c(local, par, handlers::catalogoCompleto(), corta, [this] { return directorio(); });
    int64_t d1 = esquema::crearDocumentoInventario(cia("001"), 11, "EN", "000001", {{"A", "1"}});
    int64_t d2 = esquema::crearDocumentoInventario(cia("001"), 11, "EN", "000002", {{"A", "1"}, {"B", "2"}});
    int64_t e1 = esquema::encolarEvento(cia("001"), {"002", 11, Valor::entero(d1), "EN", "000001", "", "C", "", 1});
    int64_t e2 = esquema::encolarEvento(cia("001"), {"002", 11, Valor::entero(d2), "EN", "000002", "", "C", "", 2});
    engine::AjustesCorrida a;
    a.companiaLocal = "001";
    auto r = c.ejecutar(a);
    EXPECT_TRUE(r.terminoConError);
    EXPECT_FALSE(pendiente(cia("001"), e1));
    EXPECT_TRUE(pendiente(cia("001"), e2));
    EXPECT_FALSE(errorDeEvento(cia("001"), e2).empty()) << "el motivo queda en el evento";
    monitor.reset();
    EXPECT_EQ(entero(cia("002"), "select count(*) from ENTRADAS where ENTR_NUMERO = '000002'"), 0);

    corta.eventos = 100;  // no more cuts
    r = c.ejecutar(a);
    EXPECT_FALSE(r.terminoConError) << r.detalle;
    EXPECT_FALSE(pendiente(cia("001"), e2));
    EXPECT_EQ(entero(cia("002"), "select count(*) from ENTRADAS_DETALLE"), 3);
}

TEST_F(Replicacion, DetencionPedidaTerminaTrasElEventoEnCurso) {
    struct Detiene : pruebas::ObservadorRegistro {
        engine::Corrida* corrida = nullptr;
        bool pedida = false;
        void eventoProcesado(const engine::Evento& e, engine::ResultadoEvento r) override {
            ObservadorRegistro::eventoProcesado(e, r);
            if (!pedida) corrida->solicitarDetencion();
            pedida = true;
        }
    } detiene;
    engine::Corrida c(local, par, handlers::catalogoCompleto(), detiene, [this] { return directorio(); });
    detiene.corrida = &c;
    int64_t primero = esquema::encolarEvento(cia("001"), {"002", 0, Valor::entero(0), "", "", "", "C", "", 1});
    int64_t segundo = esquema::encolarEvento(cia("001"), {"002", 0, Valor::entero(0), "", "", "", "C", "", 2});
    engine::AjustesCorrida a;
    a.companiaLocal = "001";
    auto r = c.ejecutar(a);
    EXPECT_TRUE(r.detenida);
    EXPECT_FALSE(pendiente(cia("001"), primero));
    EXPECT_TRUE(pendiente(cia("001"), segundo));
    EXPECT_EQ(detiene.temporizadores.back().first, true);
    EXPECT_FALSE(c.ejecutar(a).detenida) << "la solicitud no sobrevive a la corrida";
}

}  // namespace
