// The four screens over a real company database.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include "apoyo/bases_prueba.h"
#include "db/conjunto_filas.h"
#include "schema/demo.h"
#include "schema/esquema.h"
#include "screens/dialogos.h"
#include "screens/manejo_errores.h"
#include "screens/pantallas_internas.h"

using namespace screens;
using db::Valor;

namespace {

class Pantallas : public ::testing::Test {
protected:
    void SetUp() override {
        pruebas::exigirServidorSiHaceFalta();
        if (IsSkipped()) return;
        local.fijarBase(carpeta.nombreBase("valdrex.fdb"));
        local.fijarUsuario(pruebas::usuarioPruebas());
        local.fijarClave(pruebas::clavePruebas());
        esquema::crearBaseCompania(local, 100000);
        esquema::configurarCompania(local, "srv", {"002"}, "SYSDBA", "x");
        ManejoErrores::fijarDirectorio([this] { return carpeta.ruta(); });
        ManejoErrores::fijarPresentador([this](QWidget*, const QString& m) { mostrados.push_back(m); });
        Dialogos::confirmar = [this](QWidget*, const QString& p) {
            preguntas.push_back(p);
            return respuesta;
        };
    }
    void TearDown() override {
        Dialogos::restablecer();
        ManejoErrores::fijarPresentador(nullptr);
        local.cerrar();
    }

    int64_t evento(int tipo, const std::string& codigo, const char* error, bool replicado, int segundo) {
        int64_t id = esquema::encolarEvento(local, {"002", tipo, Valor::entero(1), "FV", "000001", codigo, "C", "", segundo});
        if (error) local.ejecutar("update REPLICA_EVENTOS set RPEV_ERROR = ? where RPEV_ID = ?", {Valor::texto(error), Valor::entero(id)});
        if (replicado) local.ejecutar("update REPLICA_EVENTOS set RPEV_FECREP = CURRENT_DATE where RPEV_ID = " + std::to_string(id));
        return id;
    }
    std::vector<int64_t> idsListados(PantallaEventos& p) {
        std::vector<int64_t> r;
        ModeloFilas* m = p.grilla()->modelo();
        for (int f = 0; f < p.grilla()->proxy()->rowCount(); ++f) {
            int fila = p.grilla()->proxy()->mapToSource(p.grilla()->proxy()->index(f, 0)).row();
            r.push_back(m->filas().valor(m->filaDatos(fila), "RPEV_ID").comoEntero());
        }
        return r;
    }
    int64_t cuenta(const std::string& sql) { return local.consultar(sql).valor(0, 0).comoEntero(); }
    std::vector<std::string> tabla(const std::string& sql) {
        db::ConjuntoFilas r = local.consultar(sql);
        std::vector<std::string> filas;
        for (size_t i = 0; i < r.numFilas(); ++i) {
            std::string f;
            for (size_t c = 0; c < r.numColumnas(); ++c) f += r.valor(i, c).comoTextoONulo() + "|";
            filas.push_back(f);
        }
        return filas;
    }

    pruebas::CarpetaTemporal carpeta;
    db::Conexion local;
    std::vector<QString> mostrados, preguntas;
    bool respuesta = false;
};

TEST_F(Pantallas, ListasDeErroresYPendientesSeleccionanLoQueCorresponde) {
    int64_t conError = evento(11, "", "violation of PRIMARY", false, 1);
    evento(236, "", "otro", false, 2);               // type 236: never listed
    evento(11, "", "viejo", true, 3);                // replicated: never listed
    int64_t pendiente2 = evento(12, "", nullptr, false, 5);
    int64_t pendiente1 = evento(11, "A1", nullptr, false, 4);
    evento(236, "", nullptr, false, 6);

    PantallaEventos errores(local, formaMensajesError());
    errores.show();
    EXPECT_EQ(errores.windowTitle(), "Mensajes de error o advertencia del envio");
    EXPECT_EQ(errores.size(), QSize(1052, 374));
    EXPECT_EQ(idsListados(errores), (std::vector<int64_t>{conError}));
    EXPECT_EQ(errores.grilla()->modelo()->columnCount(), 11);
    EXPECT_EQ(errores.grilla()->modelo()->headerData(10, Qt::Horizontal, Qt::DisplayRole).toString(), "Mensaje de error");
    EXPECT_EQ(errores.grilla()->proxy()->index(0, 0).data().toString(), "ENTRADA") << "nombre del tipo";
    EXPECT_EQ(errores.grilla()->vista()->columnWidth(4), 218);

    PantallaEventos pendientes(local, formaPendientes());
    pendientes.show();
    EXPECT_EQ(pendientes.size(), QSize(740, 374));
    EXPECT_EQ(idsListados(pendientes), (std::vector<int64_t>{pendiente2, pendiente1})) << "por RPEV_ID";
    EXPECT_EQ(pendientes.grilla()->modelo()->columnCount(), 10);
    EXPECT_EQ(pendientes.navegador()->accion(Navegador::Borrar), nullptr);
    pendientes.grilla()->ordenarPor(3, false);  // by code: only the view changes
    EXPECT_EQ(idsListados(pendientes), (std::vector<int64_t>{pendiente2, pendiente1}));
    pendientes.grilla()->ordenarPor(3, false);
    EXPECT_EQ(idsListados(pendientes), (std::vector<int64_t>{pendiente1, pendiente2}));
}

TEST_F(Pantallas, BorrarPreguntaYSoloBorraConSi) {
    PantallaEventos vacia(local, formaPendientes());
    vacia.show();
    vacia.findChild<QPushButton*>("btnBorrar")->click();
    EXPECT_TRUE(preguntas.empty()) << "lista vacía: nada";

    int64_t documento = evento(11, "", nullptr, false, 1);
    int64_t maestro = evento(101, "ART-7", nullptr, false, 2);
    PantallaEventos p(local, formaPendientes());
    p.show();
    p.grilla()->irAFila(0);
    respuesta = false;
    p.borrar();
    ASSERT_EQ(preguntas.size(), 1u);
    EXPECT_EQ(preguntas[0], "Esta seguro de borrar el evento para el documento ?");
    EXPECT_EQ(cuenta("select count(*) from REPLICA_EVENTOS where RPEV_ID = " + std::to_string(documento)), 1);

    p.grilla()->irAFila(1);
    respuesta = true;
    p.borrar();
    EXPECT_EQ(preguntas.back(), "Esta seguro de borrar el evento para el documento ART-7?");
    EXPECT_EQ(cuenta("select count(*) from REPLICA_EVENTOS where RPEV_ID = " + std::to_string(maestro)), 0);
    EXPECT_EQ(idsListados(p), (std::vector<int64_t>{documento})) << "se lee otra vez";
}

TEST_F(Pantallas, BorrarDelNavegadorSoloQuitaDeLaVista) {
    int64_t id = evento(11, "", "error", false, 1);
    {
        PantallaEventos p(local, formaMensajesError());
        p.show();
        respuesta = true;
        p.navegador()->accion(Navegador::Borrar)->trigger();
        EXPECT_TRUE(idsListados(p).empty());
    }
    EXPECT_EQ(cuenta("select count(*) from REPLICA_EVENTOS where RPEV_ID = " + std::to_string(id)), 1);
    PantallaEventos otra(local, formaMensajesError());
    otra.show();
    EXPECT_EQ(idsListados(otra), (std::vector<int64_t>{id}));
}

TEST_F(Pantallas, GuardarSeleccionExportaSoloLoSeleccionado) {
    evento(11, "UNO", "e1", false, 1);
    evento(11, "DOS", "e2", false, 2);
    evento(11, "TRES", "e3", false, 3);
    PantallaEventos p(local, formaMensajesError());
    p.show();
    QString nombrePropuesto;
    const QString ruta = QString::fromStdString(carpeta.ruta() + "/errores");
    Dialogos::guardarComo = [&](QWidget*, const QString& nombre) {
        nombrePropuesto = nombre;
        return std::pair<QString, int>{ruta, 2};
    };
    p.grilla()->vista()->setFocus();
    ASSERT_TRUE(p.grilla()->buscarSiguiente("DOS"));  // the list has no order of its own
    p.grilla()->vista()->selectRow(p.grilla()->vista()->currentIndex().row());
    p.guardarSeleccion();
    EXPECT_EQ(nombrePropuesto, "Erroresreplica");
    QFile f(ruta + ".csv");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "la extensión del filtro se agrega";
    QStringList lineas = QString::fromUtf8(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lineas.size(), 2) << "títulos y la fila seleccionada";
    EXPECT_TRUE(lineas[1].contains("DOS"));
    EXPECT_TRUE(lineas[0].startsWith("Tipo doc,Pref,"));
}

// --- Settings screens ---------------------------------------------------------------

TEST_F(Pantallas, CompaniasActivaGrabaSYNYCancelarNoToca) {
    const std::string todo = "select * from REPLICA_COMPANIA order by RPCO_COD";
    auto antes = tabla(todo);
    for (bool cerrarConLaCaja : {false, true}) {
        PantallaEdicion p(local, formaCompanias());
        p.show();
        p.modelo()->setData(p.modelo()->index(0, 1), "cambiada", Qt::EditRole);
        p.insertar();
        if (cerrarConLaCaja)
            p.close();
        else
            p.findChild<QPushButton*>("btnCancelar")->click();
        EXPECT_FALSE(p.isVisible());
        EXPECT_EQ(tabla(todo), antes);
    }

    PantallaEdicion p(local, formaCompanias());
    p.show();
    EXPECT_EQ(p.windowTitle(), QString::fromUtf8("Configuración compañías"));
    int fila = p.insertar();
    ModeloFilas* m = p.modelo();
    m->setData(m->index(fila, 0), "003", Qt::EditRole);
    m->setData(m->index(fila, 2), "srv3:/erp", Qt::EditRole);
    m->setData(m->index(fila, 3), Qt::Checked, Qt::CheckStateRole);
    m->setData(m->index(0, 3), Qt::Unchecked, Qt::CheckStateRole);  // 002 becomes inactive
    p.findChild<QPushButton*>("btnGrabar")->click();
    EXPECT_TRUE(mostrados.empty()) << (mostrados.empty() ? "" : mostrados[0].toStdString());
    EXPECT_FALSE(p.isVisible());
    EXPECT_EQ(tabla("select RPCO_COD, RPCO_ACTIVA, RPCO_SERVIDOR from REPLICA_COMPANIA order by RPCO_COD"),
              (std::vector<std::string>{"002|N|srv|", "003|S|srv3:/erp|"}));
}

TEST_F(Pantallas, FilaSinCodigoEsRechazadaConLaEtiqueta) {
    PantallaEdicion p(local, formaCompanias());
    p.show();
    int fila = p.insertar();
    p.modelo()->setData(p.modelo()->index(fila, 1), "Sin código", Qt::EditRole);
    EXPECT_FALSE(p.postear());
    ASSERT_EQ(mostrados.size(), 1u);
    EXPECT_EQ(mostrados[0], QString::fromUtf8("Se presento el siguiente error: Field 'Código' must have a value"));
    p.findChild<QPushButton*>("btnGrabar")->click();
    EXPECT_TRUE(p.isVisible()) << "no se cierra con la fila pendiente";
    EXPECT_EQ(mostrados.size(), 2u);
    EXPECT_EQ(cuenta("select count(*) from REPLICA_COMPANIA"), 1);
}

TEST_F(Pantallas, CambioRechazadoDejaLaPantallaAbiertaConSusCambios) {
    PantallaEdicion p(local, formaCompanias());
    p.show();
    ModeloFilas* m = p.modelo();
    m->setData(m->index(0, 1), "renombrada", Qt::EditRole);
    int fila = p.insertar();
    m->setData(m->index(fila, 0), "002", Qt::EditRole);  // the key exists
    p.grabar();
    ASSERT_EQ(mostrados.size(), 1u);
    EXPECT_TRUE(mostrados[0].contains("PRIMARY")) << mostrados[0].toStdString();
    EXPECT_TRUE(p.isVisible());
    EXPECT_EQ(tabla("select RPCP_NOMBRE from REPLICA_COMPANIA"), (std::vector<std::string>{QString::fromUtf8("Compañía 002|").toStdString()}))
        << "la edición de la otra fila tampoco se guardó";
    EXPECT_EQ(m->rowCount(), 2);
    EXPECT_EQ(m->index(0, 1).data().toString(), "renombrada");

    m->setData(m->index(fila, 0), "004", Qt::EditRole);  // corrected: now it saves
    p.grabar();
    EXPECT_FALSE(p.isVisible());
    EXPECT_EQ(cuenta("select count(*) from REPLICA_COMPANIA"), 2);
    EXPECT_EQ(tabla("select RPCP_NOMBRE from REPLICA_COMPANIA where RPCO_COD = '002'"),
              (std::vector<std::string>{"renombrada|"}));
}

TEST_F(Pantallas, ConfDocumentosEligeElTipoPorSuNombre) {
    PantallaEdicion p(local, formaConfDocumentos());
    p.show();
    EXPECT_EQ(p.windowTitle(), QString::fromUtf8("Configuración documentos"));
    ModeloFilas* m = p.modelo();
    EXPECT_EQ(m->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Tipo documento");
    int fila = p.insertar();
    m->setData(m->index(fila, 0), "SALIDA", Qt::EditRole);
    m->setData(m->index(fila, 1), "SA", Qt::EditRole);
    m->setData(m->index(fila, 2), "S", Qt::EditRole);
    EXPECT_FALSE(p.postear()) << "falta la compañía";
    EXPECT_EQ(mostrados.back(), QString::fromUtf8("Se presento el siguiente error: Field 'Compañía' must have a value"));
    m->setData(m->index(fila, 3), "002", Qt::EditRole);
    p.grabar();
    EXPECT_FALSE(p.isVisible());
    EXPECT_EQ(tabla("select REPC_TIPO, REPC_PREF, REPC_REPLICA, REPC_COMPANIA from REPLICACION_CONFIGURA"),
              (std::vector<std::string>{"12|SA|S|002|"}));

    local.ejecutar("insert into REPLICACION_CONFIGURA values (999, 'ZZ', 'N', '002')");
    PantallaEdicion otra(local, formaConfDocumentos());
    otra.show();
    otra.grilla()->ordenarPor(1, false);
    EXPECT_EQ(otra.grilla()->proxy()->index(0, 1).data().toString(), "SA");
    EXPECT_EQ(otra.grilla()->proxy()->index(1, 0).data().toString(), "") << "tipo sin fila en TIPO_DOCUMENTO";
    otra.reject();
    EXPECT_EQ(cuenta("select count(*) from REPLICACION_CONFIGURA"), 2);
}

}  // namespace
