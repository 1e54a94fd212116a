// The data access layer against real databases: values between two
// databases, row applies, errors of the client, transaction scopes.
#include <gtest/gtest.h>

#include <ibase.h>

#include "apoyo/bases_prueba.h"
#include "db/conjunto_filas.h"
#include "db/copia_posicional.h"
#include "db/errores.h"
#include "db/guion.h"
#include "db/sql.h"

using namespace db;
using pruebas::CarpetaTemporal;

namespace {

// The source has more decimals than the target in two columns, so the
// four-decimal rule and the target's own scale both show.
const char* kOrigen = R"(
CREATE TABLE TIPOS (
  TIPO_ID INTEGER NOT NULL PRIMARY KEY,
  T_SMALL SMALLINT, T_BIG BIGINT,
  T_DEC4 NUMERIC(18,6), T_DEC2 NUMERIC(18,4),
  T_FLOAT FLOAT, T_DOUBLE DOUBLE PRECISION,
  T_CHAR CHAR(10), T_VARCHAR VARCHAR(40),
  T_FECHA DATE, T_HORA TIME, T_MARCA TIMESTAMP,
  T_MEMO BLOB SUB_TYPE TEXT, T_BIN BLOB SUB_TYPE BINARY, T_BOOL BOOLEAN);
)";

const char* kDestino = R"(
CREATE TABLE TIPOS (
  TIPO_ID INTEGER NOT NULL PRIMARY KEY,
  T_SMALL SMALLINT, T_BIG BIGINT,
  T_DEC4 NUMERIC(15,4), T_DEC2 NUMERIC(15,2),
  T_FLOAT FLOAT, T_DOUBLE DOUBLE PRECISION,
  T_CHAR CHAR(10), T_VARCHAR VARCHAR(40),
  T_FECHA DATE, T_HORA TIME, T_MARCA TIMESTAMP,
  T_MEMO BLOB SUB_TYPE TEXT, T_BIN BLOB SUB_TYPE BINARY, T_BOOL BOOLEAN);
CREATE TABLE DOCUMENTO (
  DOCU_ID INTEGER NOT NULL PRIMARY KEY,
  DOCU_NUMERO VARCHAR(8) NOT NULL,
  DOCU_TOTAL NUMERIC(15,2),
  DOCU_NOTA VARCHAR(40),
  DOCU_OBS BLOB SUB_TYPE TEXT);
CREATE TABLE LINEA (
  DOCU_ID INTEGER NOT NULL REFERENCES DOCUMENTO ON DELETE CASCADE,
  LINE_CANT NUMERIC(15,2) CHECK (LINE_CANT >= 0));
)";

class AccesoDatos : public ::testing::Test {
protected:
    void SetUp() override {
        pruebas::exigirServidorSiHaceFalta();
        if (IsSkipped()) return;
        origen = pruebas::crearBase(carpeta.nombreBase("origen.fdb"), kOrigen);
        destino = pruebas::crearBase(carpeta.nombreBase("destino.fdb"), kDestino);
    }

    // What a second client sees right now.
    size_t filasVistasDesdeOtraConexion(const std::string& sql) {
        auto otra = pruebas::conectar(destino->base());
        return otra->consultar(sql).numFilas();
    }

    CarpetaTemporal carpeta;
    std::unique_ptr<Conexion> origen, destino;
};

struct CasoCopia {
    const char* columna;
    const char* literalOrigen;  // SQL literal inserted in the source
    Valor esperado;             // what the target holds afterwards
};

TEST_F(AccesoDatos, CopiaPosicionalLlevaCadaTipoDeUnaBaseAOtra) {
    const CasoCopia casos[] = {
        {"T_SMALL", "-32768", Valor::entero(-32768)},
        {"T_BIG", "9007199254740993", Valor::entero(9007199254740993LL)},  // not representable as double
        {"T_DEC4", "12.34567", Valor::decimal(123457, 4)},
        {"T_DEC4", "-12.34565", Valor::decimal(-123457, 4)},
        {"T_DEC4", "NULL", Valor::decimal(0, 4)},
        {"T_DEC2", "2.345", Valor::decimal(235, 2)},
        {"T_DEC2", "-2.345", Valor::decimal(-235, 2)},
        {"T_DOUBLE", "1.5e300", Valor::flotante(1.5e300)},
        {"T_FLOAT", "0.5", Valor::flotante(0.5)},
        {"T_CHAR", "'ab'", Valor::texto("ab        ")},
        {"T_VARCHAR", "'a''b '", Valor::texto("a'b ")},
        {"T_VARCHAR", "x'E1F180FF41'", Valor::texto("\xE1\xF1\x80\xFF" "A")},
        {"T_VARCHAR", "NULL", Valor::nulo()},
        {"T_FECHA", "DATE '2026-02-28'", Valor::fecha({2026, 2, 28})},
        {"T_FECHA", "NULL", Valor::nulo()},
        {"T_HORA", "TIME '23:59:58.1234'", Valor::hora({23, 59, 58, 1234})},
        {"T_MARCA", "TIMESTAMP '2026-12-11 07:05:03'", Valor::marcaTiempo({2026, 12, 11}, {7, 5, 3, 0})},
        {"T_MEMO", "'línea uno\r\nlínea dos'", Valor::blobTexto("línea uno\r\nlínea dos")},
        {"T_BIN", "x'00FF0010'", Valor::blobBinario(std::string("\x00\xFF\x00\x10", 4))},
        {"T_BOOL", "TRUE", Valor::booleano(true)},
    };
    int id = 0;
    for (const CasoCopia& caso : casos) {
        SCOPED_TRACE(std::string(caso.columna) + " <- " + caso.literalOrigen);
        ++id;
        origen->ejecutar("INSERT INTO TIPOS (TIPO_ID, " + std::string(caso.columna) + ") VALUES (" +
                         std::to_string(id) + ", " + caso.literalOrigen + ")");
        ConjuntoFilas fuente = origen->consultar("select * from TIPOS where TIPO_ID = " + std::to_string(id));
        ConjuntoFilas nuevo = destino->consultar("select * from TIPOS where TIPO_ID = -1");
        size_t f = nuevo.agregar();
        copiarPosicional(fuente, 0, nuevo, f);
        ASSERT_EQ(nuevo.aplicar(f), 0);

        ConjuntoFilas leido = destino->consultar("select * from TIPOS where TIPO_ID = " + std::to_string(id));
        ASSERT_EQ(leido.numFilas(), 1u);
        const Valor& v = leido.valor(0, caso.columna);
        EXPECT_TRUE(v == caso.esperado) << "llegó " << (v.esNulo() ? "NULL" : v.comoTexto());
        EXPECT_EQ(v.tipo(), caso.esperado.tipo());
    }
}

TEST_F(AccesoDatos, MetadatosDeLaConsulta) {
    ConjuntoFilas r = destino->consultar("select * from DOCUMENTO");
    ASSERT_EQ(r.numColumnas(), 5u);
    const Columna& total = r.columnas()[r.indice("docu_total")];
    EXPECT_EQ(total.relacion, "DOCUMENTO");
    EXPECT_EQ(total.tipoSql, unsigned(SQL_INT64));
    EXPECT_EQ(total.escala, -2);
    EXPECT_TRUE(total.esDecimalExacto());
    EXPECT_FALSE(r.columnas()[r.indice("DOCU_NUMERO")].anulable);
    EXPECT_EQ(r.columnas()[r.indice("DOCU_NUMERO")].longitud, 8u);
    EXPECT_TRUE(r.columnas()[r.indice("DOCU_OBS")].esBlob());
    EXPECT_THROW(r.indice("NO_EXISTE"), std::out_of_range);
}

// --- Row applies -----------------------------------------------------------

class Aplicacion : public AccesoDatos {
protected:
    void SetUp() override {
        AccesoDatos::SetUp();
        if (IsSkipped()) return;
        destino->ejecutar(
            "INSERT INTO DOCUMENTO VALUES (1, '000001', 10.50, NULL, 'nota larga')");
        destino->ejecutar("INSERT INTO LINEA VALUES (1, 2)");
    }

    ConjuntoFilas leerDocumento(int id) {
        ConjuntoFilas r = destino->consultar("select * from DOCUMENTO where DOCU_ID = " + std::to_string(id));
        r.fijarCaptura({[this](const std::string& m) { rechazos.push_back(m); },
                        [this](const std::string& m) { posteos.push_back(m); }});
        return r;
    }

    std::vector<std::string> rechazos, posteos;
};

TEST_F(Aplicacion, InsertarActualizarYBorrar) {
    ConjuntoFilas doc = leerDocumento(-1);
    size_t f = doc.agregar();
    doc.asignar(f, "DOCU_ID", Valor::entero(2));
    doc.asignar(f, "DOCU_NUMERO", Valor::texto("000002"));
    doc.asignar(f, "DOCU_TOTAL", Valor::decimal(1999, 2));
    EXPECT_EQ(doc.aplicar(f), 0);
    EXPECT_EQ(doc.aplicar(f), 0) << "una fila ya aplicada no se envía otra vez";

    ConjuntoFilas uno = leerDocumento(1);
    uno.asignar(0, "DOCU_NOTA", Valor::texto("cambiada"));  // the NULL column takes part in the match
    EXPECT_EQ(uno.aplicar(0), 0);
    EXPECT_EQ(leerDocumento(1).valor(0, "DOCU_NOTA").comoTexto(), "cambiada");
    EXPECT_EQ(leerDocumento(1).valor(0, "DOCU_OBS").comoTexto(), "nota larga");

    ConjuntoFilas dos = leerDocumento(2);
    dos.marcarBorrada(0);
    EXPECT_EQ(dos.aplicar(0), 0);
    EXPECT_TRUE(leerDocumento(2).vacio());
    EXPECT_TRUE(rechazos.empty());
}

TEST_F(Aplicacion, FilaCambiadaPorOtroDesdeQueSeLeyoFalla) {
    struct Caso {
        const char* nombre;
        bool borrar;
    };
    for (const Caso& caso : {Caso{"actualizar", false}, Caso{"borrar", true}}) {
        SCOPED_TRACE(caso.nombre);
        rechazos.clear();
        ConjuntoFilas doc = leerDocumento(1);
        destino->ejecutar("UPDATE DOCUMENTO SET DOCU_TOTAL = DOCU_TOTAL + 1 WHERE DOCU_ID = 1");
        if (caso.borrar)
            doc.marcarBorrada(0);
        else
            doc.asignar(0, "DOCU_NOTA", Valor::texto("mía"));
        EXPECT_EQ(doc.aplicar(0), 1);
        ASSERT_EQ(rechazos.size(), 1u);
        EXPECT_EQ(rechazos[0], "Record not found or changed by another user");
        EXPECT_EQ(leerDocumento(1).numFilas(), 1u);
        EXPECT_TRUE(leerDocumento(1).valor(0, "DOCU_NOTA").esNulo());
    }
}

TEST_F(Aplicacion, FilaRechazadaPorLaBaseNoConfirmaNada) {
    struct Caso {
        const char* nombre;
        int id;
        const char* mensajeContiene;
    };
    const Caso casos[] = {
        {"clave repetida", 1, "violation of PRIMARY or UNIQUE KEY"},
        {"restricción", 3, "CHECK"},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        rechazos.clear();
        ConjuntoFilas lineas = destino->consultar("select * from LINEA where DOCU_ID = -1");
        lineas.fijarCaptura({[this](const std::string& m) { rechazos.push_back(m); }, nullptr});
        ConjuntoFilas doc = leerDocumento(-1);
        size_t f = doc.agregar();
        doc.asignar(f, "DOCU_ID", Valor::entero(caso.id));
        doc.asignar(f, "DOCU_NUMERO", Valor::texto("X"));
        int fallos = doc.aplicar(f);
        if (caso.id == 3) {
            ASSERT_EQ(fallos, 0);
            size_t l = lineas.agregar();
            lineas.asignar(l, 0, Valor::entero(3));
            lineas.asignar(l, 1, Valor::decimal(-100, 2));
            fallos = lineas.aplicar(l);
        }
        EXPECT_EQ(fallos, 1);
        ASSERT_EQ(rechazos.size(), 1u);
        EXPECT_NE(rechazos[0].find(caso.mensajeContiene), std::string::npos) << rechazos[0];
    }
    EXPECT_EQ(destino->consultar("select * from LINEA where DOCU_ID = 3").numFilas(), 0u);
}

TEST_F(Aplicacion, ColumnaRequeridaSinValorEsErrorDePosteo) {
    ConjuntoFilas doc = leerDocumento(-1);
    doc.fijarEtiqueta("DOCU_NUMERO", "Número");
    size_t f = doc.agregar();
    doc.asignar(f, "DOCU_ID", Valor::entero(5));
    EXPECT_THROW(doc.aplicar(f), AbortoSilencioso);
    ASSERT_EQ(posteos.size(), 1u);
    EXPECT_EQ(posteos[0], "Field 'Número' must have a value");
    EXPECT_TRUE(rechazos.empty());
    EXPECT_TRUE(leerDocumento(5).vacio());

    ConjuntoFilas sinEtiqueta = leerDocumento(1);
    sinEtiqueta.asignar(0, "DOCU_NUMERO", Valor::nulo());
    EXPECT_THROW(sinEtiqueta.aplicar(0), AbortoSilencioso);
    EXPECT_EQ(posteos.back(), "Field 'DOCU_NUMERO' must have a value");
}

TEST_F(Aplicacion, ValorQueNoCabeEnLaColumnaEsError) {
    ConjuntoFilas doc = leerDocumento(-1);
    size_t f = doc.agregar();
    EXPECT_THROW(doc.asignar(f, "DOCU_TOTAL", Valor::texto("doce")), ErrorConversion);
    EXPECT_THROW(doc.asignar(f, "DOCU_ID", Valor::fecha({2026, 1, 1})), ErrorConversion);
    doc.asignar(f, "DOCU_TOTAL", Valor::texto("12.345"));
    EXPECT_TRUE(doc.valor(f, "DOCU_TOTAL") == Valor::decimal(1235, 2));
}

// --- Transaction scope ------------------------------------------------------

TEST_F(Aplicacion, AmbitoTransaccionOcultaHastaConfirmarYDeshaceTodo) {
    const std::string consulta = "select * from DOCUMENTO where DOCU_ID in (7, 8)";
    {
        AmbitoTransaccion ambito(*destino);
        destino->ejecutar("INSERT INTO DOCUMENTO (DOCU_ID, DOCU_NUMERO) VALUES (7, '7')");
        ConjuntoFilas doc = leerDocumento(-1);
        size_t f = doc.agregar();
        doc.asignar(f, "DOCU_ID", Valor::entero(8));
        doc.asignar(f, "DOCU_NUMERO", Valor::texto("8"));
        ASSERT_EQ(doc.aplicar(f), 0);
        EXPECT_EQ(destino->consultar(consulta).numFilas(), 2u) << "dentro del ámbito se ven";
        EXPECT_EQ(filasVistasDesdeOtraConexion(consulta), 0u);
        // A rejected row inside the scope leaves the scope usable.
        EXPECT_EQ(leerDocumento(1).numFilas(), 1u);
        ConjuntoFilas repetido = leerDocumento(-1);
        size_t r = repetido.agregar();
        repetido.asignar(r, "DOCU_ID", Valor::entero(7));
        repetido.asignar(r, "DOCU_NUMERO", Valor::texto("7"));
        EXPECT_EQ(repetido.aplicar(r), 1);
        ambito.deshacer();
    }
    EXPECT_EQ(destino->consultar(consulta).numFilas(), 0u);

    {
        AmbitoTransaccion ambito(*destino);
        destino->ejecutar("INSERT INTO DOCUMENTO (DOCU_ID, DOCU_NUMERO) VALUES (7, '7')");
        EXPECT_THROW(AmbitoTransaccion otro(*destino), std::logic_error);
        // The id generator's call runs in its own transaction even here.
        destino->ejecutar("INSERT INTO LINEA VALUES (1, 5)", Transaccion::Propia);
        EXPECT_EQ(filasVistasDesdeOtraConexion("select * from LINEA where LINE_CANT = 5"), 1u);
        EXPECT_EQ(filasVistasDesdeOtraConexion(consulta), 0u);
        ambito.confirmar();
    }
    EXPECT_EQ(filasVistasDesdeOtraConexion(consulta), 1u);

    {
        AmbitoTransaccion sinConfirmar(*destino);
        destino->ejecutar("DELETE FROM DOCUMENTO");
    }
    EXPECT_EQ(filasVistasDesdeOtraConexion(consulta), 1u) << "el destructor deshace";
}

// --- Connections --------------------------------------------------------------

TEST_F(AccesoDatos, ConexionCerradaSeAbreSolaConLosMismosDatos) {
    destino->cerrar();
    EXPECT_FALSE(destino->abierta());
    EXPECT_EQ(destino->consultar("select * from DOCUMENTO").numFilas(), 0u);
    EXPECT_TRUE(destino->abierta());
}

TEST_F(AccesoDatos, ErroresDeConexionTraenElMensajeDelCliente) {
    struct Caso {
        const char* nombre;
        std::string base;
        std::string usuario, clave;
        const char* mensaje;
        bool soloServidor;
    };
    const Caso casos[] = {
        {"archivo inexistente", carpeta.nombreBase("no/existe.fdb"), "SYSDBA", pruebas::clavePruebas(),
         "I/O error during \"open\" operation for file \"", false},
        {"equipo desconocido", "srv9:/datos/general.fdb", "SYSDBA", "x",
         "Unable to complete network request to host \"srv9\"", false},
        {"clave incorrecta", destino->base(), "SYSDBA", "otra-clave",
         "Your user name and password are not defined. Ask your database administrator to set up a Firebird login.",
         true},
    };
    destino->cerrar();
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        if (caso.soloServidor && !pruebas::modoServidor()) continue;  // the embedded engine does not authenticate
        Conexion c;
        c.fijarBase(caso.base);
        c.fijarUsuario(caso.usuario);
        c.fijarClave(caso.clave);
        try {
            c.abrir();
            ADD_FAILURE() << "se abrió";
        } catch (const ErrorBaseDatos& e) {
            EXPECT_NE(e.mensaje().find(caso.mensaje), std::string::npos) << e.mensaje();
        }
        EXPECT_FALSE(c.abierta());
    }
}

TEST_F(AccesoDatos, SentenciaErroneaLlevaSuTexto) {
    try {
        destino->ejecutar("select * from NO_EXISTE");
        FAIL();
    } catch (const ErrorBaseDatos& e) {
        EXPECT_NE(e.mensaje().find("NO_EXISTE"), std::string::npos);
        EXPECT_EQ(e.sentencia(), "select * from NO_EXISTE");
        EXPECT_NE(std::string(e.what()).find("while executing"), std::string::npos);
    }
}

}  // namespace
