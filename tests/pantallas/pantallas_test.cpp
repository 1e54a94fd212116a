// The four screens over a real company database.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

#include "apoyo/bases_prueba.h"
#include "db/conjunto_filas.h"
#include "schema/demo.h"
#include "schema/esquema.h"
#include "screens/dialogos.h"
#include "screens/manejo_errores.h"
#include "screens/pantallas.h"
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
    // Shows a screen as the main window would and waits until it is active,
    // so no activation arrives later in the middle of a test.
    void abrir(QWidget& pantalla) {
        pantalla.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&pantalla));
    }
    void romperConexion() {
        local.cerrar();
        local.fijarBase(carpeta.nombreBase("no-existe/valdrex.fdb"));
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

TEST_F(Pantallas, PendientesEnOrdenDeEventoAunqueLaBaseLosDevuelvaEnOtro) {
    // Stored with the higher id first, so the order read is not the id order.
    for (int id : {50, 10, 30})
        local.ejecutar("insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO) values (" + std::to_string(id) +
                       ", '002', 11)");
    PantallaEventos p(local, formaPendientes());
    abrir(p);
    EXPECT_EQ(idsListados(p), (std::vector<int64_t>{10, 30, 50}));
    EXPECT_EQ(p.grilla()->proxy()->headerData(0, Qt::Vertical, Qt::DisplayRole).toString(), QString::fromUtf8("▶"))
        << "la lista abre en su primera fila";
}

TEST_F(Pantallas, ListaSeLeeAlActivarsePeroNoAlVolverDeSusPropiasCajas) {
    evento(11, "UNO", nullptr, false, 1);
    evento(11, "DOS", nullptr, false, 2);
    PantallaEventos p(local, formaPendientes());
    abrir(p);
    ASSERT_EQ(idsListados(p).size(), 2u);
    p.grilla()->ordenarPor(3, false);  // by code: DOS, UNO
    p.grilla()->irAFila(0);             // UNO, the first row read

    // Another window of the desktop takes over; a new event arrives meanwhile.
    QWidget otra;
    abrir(otra);
    int64_t tres = evento(11, "TRES", nullptr, false, 3);
    p.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p));
    ASSERT_EQ(idsListados(p).size(), 3u) << "leída otra vez al volver";
    EXPECT_EQ(p.grilla()->proxy()->index(0, 3).data().toString(), "DOS") << "con el mismo orden";
    EXPECT_EQ(p.grilla()->proxy()->index(p.grilla()->vista()->currentIndex().row(), 3).data().toString(), "UNO")
        << "y en el mismo evento";

    // A box of the screen itself (a child window, or a native dialog that is
    // no widget of ours) takes the activation and gives it back: no new read,
    // so what the operator just did stands.
    for (bool hija : {true, false}) {
        SCOPED_TRACE(hija ? "caja hija" : "diálogo nativo");
        std::unique_ptr<QWidget> caja;
        Dialogos::confirmar = [&](QWidget* padre, const QString&) {
            caja = std::make_unique<QDialog>(hija ? padre : nullptr);
            caja->show();
            EXPECT_TRUE(QTest::qWaitForWindowActive(caja.get()));
            caja->hide();
            return true;
        };
        const std::vector<int64_t> antes = idsListados(p);
        p.findChild<QPushButton*>("btnBorrar")->click();  // deletes the current event and reads the list
        ASSERT_EQ(idsListados(p).size(), antes.size() - 1);
        int64_t nuevo = evento(11, "NUEVO", nullptr, false, 4);
        p.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&p));
        QTest::qWait(20);
        std::vector<int64_t> despues = idsListados(p);
        EXPECT_EQ(std::count(despues.begin(), despues.end(), nuevo), 0) << "la vuelta de la caja no lee";
        p.navegador()->accion(Navegador::Refrescar)->trigger();
        despues = idsListados(p);
        EXPECT_EQ(std::count(despues.begin(), despues.end(), nuevo), 1);
    }
    EXPECT_EQ(tres, idsListados(p).back()) << "por código: DOS, NUEVO, NUEVO, TRES";

    // Nor does coming back from the grid's find dialog, which stays open.
    DialogoBuscar* buscar = p.grilla()->abrirBuscar();
    ASSERT_TRUE(QTest::qWaitForWindowActive(buscar));
    int64_t otro = evento(11, "OTRO", nullptr, false, 5);
    p.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p));
    QTest::qWait(20);
    std::vector<int64_t> ids = idsListados(p);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), otro), 0);
}

TEST_F(Pantallas, ConLaBaseCaidaElErrorSeMuestraUnaVezYLaListaQueda) {
    int64_t id = evento(11, "UNO", "rechazado", false, 1);
    PantallaEventos p(local, formaMensajesError());
    abrir(p);
    romperConexion();
    respuesta = true;
    p.findChild<QPushButton*>("btnBorrar")->click();
    ASSERT_EQ(mostrados.size(), 1u) << "tras un borrado fallido la lista no se lee otra vez";
    EXPECT_TRUE(mostrados[0].startsWith(QString::fromUtf8("No se encontró el archivo o la ruta "))) << mostrados[0].toStdString();
    EXPECT_EQ(idsListados(p), (std::vector<int64_t>{id}));
    p.navegador()->accion(Navegador::Refrescar)->trigger();
    EXPECT_EQ(mostrados.size(), 2u);
    EXPECT_TRUE(p.isVisible());

    // A screen that cannot read its rows does not open.
    QTimer::singleShot(3000, [] {
        if (QWidget* w = QApplication::activeModalWidget()) w->close();  // a hang would be the fault
    });
    mostrarConfDocumentos(nullptr, local);
    mostrarCompanias(nullptr, local);
    EXPECT_EQ(mostrados.size(), 4u);
    QFile errores(QString::fromStdString(carpeta.ruta() + "/ERRORES.TXT"));
    ASSERT_TRUE(errores.open(QIODevice::ReadOnly)) << "el manejador de la aplicación deja su línea";
    EXPECT_EQ(errores.readAll().count("\r\n"), 4);
}

TEST_F(Pantallas, MenuCopiaYSeleccionaSoloConLaGrillaEnfocada) {
    evento(11, "UNO", "e1", false, 1);
    evento(11, "DOS", "e2", false, 2);
    PantallaEventos p(local, formaMensajesError());
    abrir(p);
    QList<QAction*> acciones = p.menu()->actions();
    ASSERT_EQ(acciones.size(), 4);
    EXPECT_EQ(acciones[0]->text(), "&Copiar");
    EXPECT_EQ(acciones[1]->text(), "Se&lecccionar todo");
    EXPECT_TRUE(acciones[2]->isSeparator());
    EXPECT_EQ(acciones[3]->text(), QString::fromUtf8("&Guardar selección"));

    QApplication::clipboard()->setText("antes");
    p.casillaFiltros()->setFocus();
    acciones[1]->trigger();
    acciones[0]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "antes") << "sin la grilla enfocada no hace nada";

    p.grilla()->vista()->setFocus();
    acciones[1]->trigger();
    acciones[0]->trigger();
    QStringList lineas = QApplication::clipboard()->text().split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lineas.size(), 2);
    EXPECT_EQ(lineas[0].split('\t').size(), 11);

    // "Activar filtros" shows the filter row, which filters in memory.
    EXPECT_FALSE(p.grilla()->filtrosVisibles());
    p.casillaFiltros()->setChecked(true);
    EXPECT_TRUE(p.grilla()->filtrosVisibles());
    p.grilla()->filtro(3)->setText("do");
    EXPECT_EQ(p.grilla()->proxy()->rowCount(), 1);
    respuesta = true;
    const QModelIndex actual = p.grilla()->vista()->currentIndex();
    QTest::keyClick(p.grilla()->filtro(3), Qt::Key_Return);
    EXPECT_TRUE(p.grilla()->vista()->hasFocus()) << "Enter en un filtro vuelve a las filas";
    EXPECT_EQ(p.grilla()->vista()->currentIndex(), actual) << "sin mover la celda";
    QTest::keyClick(p.casillaFiltros(), Qt::Key_Return);
    EXPECT_TRUE(preguntas.empty()) << "Enter no pulsa \"Borrar\"";
    EXPECT_TRUE(p.isVisible());
    p.casillaFiltros()->setChecked(false);
    EXPECT_EQ(p.grilla()->proxy()->rowCount(), 2);
}

TEST_F(Pantallas, FilaIncompletaNoSeDejaHastaCompletarlaOCancelarla) {
    PantallaEdicion p(local, formaCompanias());
    abrir(p);
    ModeloFilas* m = p.modelo();
    QTableView* v = p.grilla()->vista();

    // An appended row never filled in is left without a word and not written.
    int vacia = p.insertar();
    v->setCurrentIndex(p.grilla()->proxy()->index(0, 0));
    QTest::qWait(10);
    EXPECT_TRUE(mostrados.empty());

    int fila = p.insertar();
    EXPECT_EQ(fila, vacia + 1);
    m->setData(m->index(fila, 1), "Sin código", Qt::EditRole);
    EXPECT_EQ(p.insertar(), -1) << "no se agrega otra fila mientras esta no se puede grabar";
    ASSERT_EQ(mostrados.size(), 1u);
    v->setCurrentIndex(p.grilla()->proxy()->mapFromSource(m->index(0, 0)));
    QTRY_COMPARE(mostrados.size(), size_t(2));
    EXPECT_EQ(mostrados[1], QString::fromUtf8("Se presento el siguiente error: Field 'Código' must have a value"));
    QTRY_COMPARE(p.grilla()->filaActual(), fila);

    p.navegador()->accion(Navegador::Cancelar)->trigger();  // the edit cancelled: the row goes
    EXPECT_EQ(m->rowCount(), 2);
    v->setCurrentIndex(p.grilla()->proxy()->index(0, 0));
    QTest::qWait(10);
    EXPECT_EQ(mostrados.size(), 2u);

    p.findChild<QPushButton*>("btnGrabar")->click();
    EXPECT_FALSE(p.isVisible());
    EXPECT_EQ(mostrados.size(), 2u);
    EXPECT_EQ(cuenta("select count(*) from REPLICA_COMPANIA"), 1) << "la fila vacía no se inserta";
}

TEST_F(Pantallas, CompaniasBorrarPreguntaYSoloBorraAlGrabar) {
    local.ejecutar("insert into REPLICA_COMPANIA (RPCO_COD, RPCO_SERVIDOR, RPCO_ACTIVA) values ('003', 'srv3', 'S')");
    PantallaEdicion p(local, formaCompanias());
    abrir(p);
    ModeloFilas* m = p.modelo();
    ASSERT_EQ(m->rowCount(), 2);
    p.grilla()->ordenarPor(0, false);
    p.grilla()->ordenarPor(0, false);  // 003 first
    p.grilla()->vista()->setCurrentIndex(p.grilla()->proxy()->index(0, 0));
    ASSERT_EQ(p.grilla()->proxy()->index(0, 0).data().toString(), "003");
    EXPECT_TRUE(p.navegador()->accion(Navegador::Refrescar)->isEnabled());

    respuesta = false;
    p.navegador()->accion(Navegador::Borrar)->trigger();
    ASSERT_EQ(preguntas.size(), 1u);
    EXPECT_EQ(preguntas[0], preguntaBorrarRegistro());
    EXPECT_EQ(m->rowCount(), 2);
    respuesta = true;
    p.navegador()->accion(Navegador::Borrar)->trigger();
    EXPECT_EQ(m->rowCount(), 1);
    EXPECT_FALSE(p.navegador()->accion(Navegador::Refrescar)->isEnabled()) << "leer otra vez perdería el borrado";
    EXPECT_EQ(cuenta("select count(*) from REPLICA_COMPANIA"), 2) << "aún en memoria";

    // The other row changed: the indicator tells it from the rest.
    m->setData(m->index(0, 2), "srv-nuevo", Qt::EditRole);
    EXPECT_EQ(p.grilla()->proxy()->headerData(0, Qt::Vertical, Qt::DisplayRole).toString(), QString::fromUtf8("✎"));
    p.grabar();
    EXPECT_FALSE(p.isVisible());
    EXPECT_EQ(tabla("select RPCO_COD, RPCO_SERVIDOR from REPLICA_COMPANIA"), (std::vector<std::string>{"002|srv-nuevo|"}));
}

TEST_F(Pantallas, OrdenarYGrabarSinCambiosNoTocaLaTabla) {
    local.ejecutar("insert into REPLICACION_CONFIGURA values (11, 'ZZ', 'N', '002')");
    local.ejecutar("insert into REPLICACION_CONFIGURA values (12, 'AA', 'S', '002')");
    const std::string todo = "select * from REPLICACION_CONFIGURA order by REPC_TIPO";
    auto antes = tabla(todo);
    PantallaEdicion p(local, formaConfDocumentos());
    abrir(p);
    p.grilla()->ordenarPor(1, false);
    EXPECT_EQ(p.grilla()->proxy()->index(0, 1).data().toString(), "AA");
    EXPECT_EQ(p.grilla()->proxy()->index(0, 0).data().toString(), "SALIDA");
    EXPECT_FALSE(p.modelo()->hayCambios());
    // Typing searches the current column instead of editing it.
    p.grilla()->vista()->setFocus();
    p.grilla()->vista()->setCurrentIndex(p.grilla()->proxy()->index(0, 1));
    QTest::keyClicks(p.grilla()->vista(), "z");
    EXPECT_EQ(p.grilla()->vista()->currentIndex().data().toString(), "ZZ");
    EXPECT_FALSE(p.modelo()->hayCambios());
    p.grabar();
    EXPECT_FALSE(p.isVisible());
    EXPECT_TRUE(mostrados.empty());
    EXPECT_EQ(tabla(todo), antes);
}

TEST_F(Pantallas, NavegadorTomaElTextoDeLaCeldaQueSeEstaEditando) {
    PantallaEdicion p(local, formaCompanias());
    abrir(p);
    int fila = p.insertar();
    QTableView* v = p.grilla()->vista();
    v->setFocus();
    QTest::keyClick(v, '0');  // typing edits in this screen: the key opens the cell's editor
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->objectName(), "editorCelda");
    QTest::keyClicks(editor, "04");
    EXPECT_EQ(editor->text(), "004");
    p.navegador()->accion(Navegador::Grabar)->trigger();
    EXPECT_TRUE(mostrados.empty()) << (mostrados.empty() ? "" : mostrados[0].toStdString());
    EXPECT_EQ(p.modelo()->index(fila, 0).data().toString(), "004");
    p.findChild<QPushButton*>("btnGrabar")->click();
    EXPECT_EQ(cuenta("select count(*) from REPLICA_COMPANIA where RPCO_COD = '004'"), 1);
}

TEST_F(Pantallas, TitulosYAnchosDeLasColumnasDeCadaPantalla) {
    using Columnas = std::vector<std::pair<QString, int>>;
    const Columnas eventos = {{"Tipo doc", 65}, {"Pref", 35},     {QString::fromUtf8("Número"), 73},
                              {QString::fromUtf8("Código"), 86},  {"Servidor", 218}, {"Fecha", 76},
                              {"Hora", 50},     {"Op", 18},       {"Prefd", 38},     {"PtVt", 26}};
    Columnas errores = eventos;
    errores.push_back({"Mensaje de error", -1});  // takes the rest of the row
    const Columnas companias = {{QString::fromUtf8("Código"), 38}, {QString::fromUtf8("Compañía"), 223},
                                {"Servidor", 262}, {"Activa", 35}};
    const Columnas documentos = {{"Tipo documento", 301}, {"Prefijo", 35}, {"Replica", 43},
                                 {QString::fromUtf8("Compañía"), 55}};
    struct Caso {
        const char* nombre;
        std::function<std::unique_ptr<QDialog>()> crear;
        const Columnas& columnas;
    };
    const Caso casos[] = {
        {"errores", [&] { return std::make_unique<PantallaEventos>(local, formaMensajesError()); }, errores},
        {"pendientes", [&] { return std::make_unique<PantallaEventos>(local, formaPendientes()); }, eventos},
        {"compañías", [&] { return std::make_unique<PantallaEdicion>(local, formaCompanias()); }, companias},
        {"documentos", [&] { return std::make_unique<PantallaEdicion>(local, formaConfDocumentos()); }, documentos},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        std::unique_ptr<QDialog> pantalla = c.crear();
        pantalla->show();
        Grilla* g = pantalla->findChild<Grilla*>();
        ASSERT_TRUE(g);
        ASSERT_EQ(g->modelo()->columnCount(), static_cast<int>(c.columnas.size()));
        for (int i = 0; i < g->modelo()->columnCount(); ++i) {
            EXPECT_EQ(g->modelo()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(), c.columnas[i].first);
            if (c.columnas[i].second > 0) {
                EXPECT_EQ(g->vista()->columnWidth(i), c.columnas[i].second) << i;
            }
        }
        EXPECT_EQ(g->vista()->horizontalHeader()->stretchLastSection(), c.columnas.back().second < 0);
    }
    // Activa is the one check box.
    PantallaEdicion p(local, formaCompanias());
    EXPECT_EQ(p.modelo()->flags(p.modelo()->index(0, 3)) & Qt::ItemIsUserCheckable, Qt::ItemIsUserCheckable);
    EXPECT_EQ(p.modelo()->index(0, 3).data(Qt::CheckStateRole).toInt(), Qt::Checked) << "002 está activa";
}

}  // namespace
