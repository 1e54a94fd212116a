// The main window against real databases: start-up with and without
// arguments, the company change, the timer, and runs on their own thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <memory>

#include "apoyo/replicacion_prueba.h"
#include "apoyo_escritorio.h"
#include "app/combo_busqueda.h"
#include "app/dialogo_acceso.h"
#include "app/ventana_principal.h"
#include "engine/ajustes.h"
#include "schema/demo.h"
#include "screens/manejo_errores.h"

namespace {

using db::Valor;
using pruebas::esperarHasta;
using pruebas::Presentado;

class Escritorio : public pruebas::Replicacion {
protected:
    void SetUp() override {
        Replicacion::SetUp();
        if (IsSkipped()) return;
        pruebas::crearGeneral(ubicacion(), {{"001", "Uno"}, {"002", "Dos"}, {"003", "Tres"}, {"009", "Sin base"}});
        pruebas::fijarRegistro(carpeta.ruta() + "/registro.ini", directorio());
        Presentado::instancia().limpiar();
        Presentado::instancia().instalar();
    }

    void TearDown() override {
        // A run held at the gate must be let go before the window waits for it.
        compuerta->abrir();
        ventana.reset();
        Replicacion::TearDown();
    }

    // A window whose login dialog (unless `dialogoReal`) is replaced: the
    // stand-in counts its calls and logs in with the test credentials unless
    // `accesoAcepta` is false.
    void crearVentana(QStringList argumentos, bool dialogoReal = false) {
        ventana.reset();
        app::OpcionesVentana o;
        o.argumentos = std::move(argumentos);
        if (!dialogoReal)
            o.acceso = [this](QWidget*, engine::Sesion& s) {
                ++accesos;
                if (!accesoAcepta) return false;
                s.conectarGeneral(ubicacion(), pruebas::usuarioPruebas(), pruebas::clavePruebas());
                s.fijarIngreso(ubicacion(), pruebas::usuarioPruebas(), pruebas::clavePruebas());
                return true;
            };
        o.directorio = [c = compuerta, d = directorio()] {
            if (QThread::currentThread() != QCoreApplication::instance()->thread()) c->pasar();
            return d;
        };
        o.presentarMensaje = [](QWidget*, const QString& t) { Presentado::instancia().mensajes << t; };
        ventana = std::make_unique<app::VentanaPrincipal>(std::move(o));
        iniciadas = std::make_unique<QSignalSpy>(ventana.get(), &app::VentanaPrincipal::corridaIniciada);
        finalizadas = std::make_unique<QSignalSpy>(ventana.get(), &app::VentanaPrincipal::corridaFinalizada);
        terminado = std::make_unique<QSignalSpy>(ventana.get(), &app::VentanaPrincipal::programaTerminado);
    }

    QStringList desatendido(const QString& compania = "001", const QString& reciente = "x") const {
        return {QString::fromStdString(ubicacion()), QString::fromStdString(pruebas::usuarioPruebas()),
                QString::fromStdString(pruebas::clavePruebas()), compania, reciente};
    }

    // Shows the window and lets its first activation happen.
    void mostrar() {
        ventana->show();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    bool esperarFin(int cuantas = 1) {
        return esperarHasta([&] { return finalizadas->count() >= cuantas; });
    }

    template <class T>
    T* control(const char* nombre) {
        T* c = ventana->findChild<T*>(nombre);
        EXPECT_NE(c, nullptr) << nombre;
        return c;
    }

    int64_t encolarEntrada(const std::string& numero, int segundo) {
        int64_t doc = esquema::crearDocumentoInventario(cia("001"), 11, "EN", numero, {{"A", "1"}});
        return esquema::encolarEvento(cia("001"), {"002", 11, Valor::entero(doc), "EN", numero, "", "C", "", segundo});
    }

    // RPEV_ID of every ENVIO.TXT line, in order.
    std::vector<std::string> eventosEnBitacora() {
        std::vector<std::string> ids;
        for (const std::string& l : pruebas::lineas(directorio() + "/ENVIO.TXT"))
            ids.push_back(pruebas::camposDeError(l).at(2));
        return ids;
    }

    void elegirCompania(const QString& codigo) {
        auto* combo = control<app::ComboBusqueda>("LCiaOri");
        for (int i = 0; i < combo->count(); ++i)
            if (combo->model()->index(i, 0).data().toString() == codigo) combo->setCurrentIndex(i);
    }

    std::shared_ptr<pruebas::Compuerta> compuerta = std::make_shared<pruebas::Compuerta>();
    std::unique_ptr<app::VentanaPrincipal> ventana;
    std::unique_ptr<QSignalSpy> iniciadas, finalizadas, terminado;
    int accesos = 0;
    bool accesoAcepta = true;
};

// --- The window as it is created ----------------------------------------------------

TEST_F(Escritorio, ControlesConSusNombresTextosYValoresIniciales) {
    crearVentana({});
    EXPECT_EQ(ventana->windowTitle(), QString::fromUtf8("Envío de información"));
    struct Caso {
        const char* nombre;
        const char* texto;
        bool visible;
    };
    const Caso casos[] = {
        {"SerOri1", "", true},
        {"Label1", "Compañía Local:", true},
        {"LCiaOri", "", true},
        {"Label12", "Agencia:", true},
        {"CboAgencia", "", true},
        {"Label6", "Ultima actualización:", true},
        {"EUltenvio", "", true},
        {"Label7", "Prefijo a enviar:", true},
        {"Pref", "", true},
        {"Label2", "Operaciones a enviar:", true},
        {"NroOp", "100", true},
        {"Label3", "Frecuencia actualización:", true},
        {"Minut", "1", true},
        {"Label4", "minutos", true},
        {"ckreciente", "Enviar lo más reciente primero", true},
        {"CkError", "No reintentar errores", true},
        {"Label8", "Ultimo error:", true},
        {"PngSpeedButton1", "Mensajes error", true},
        {"PngSpeedButton2", "Compañías", true},
        {"PngSpeedButton3", "Pendientes", true},
        {"PngSpeedButton4", "Conf. Documentos", true},
        {"SpeedButton1", "Enviar", true},
        {"SpeedButton2", "Cancelar", true},
        {"Label5", "Rev:2016/11/22", true},
        {"Edit1", "", false},
        {"Panel3", nullptr, false},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        QWidget* w = control<QWidget>(caso.nombre);
        if (!w) continue;
        EXPECT_EQ(w->isVisibleTo(ventana.get()), caso.visible);
        if (!caso.texto) continue;
        QString texto;
        if (auto* l = qobject_cast<QLabel*>(w)) texto = l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) texto = b->text();
        if (auto* e = qobject_cast<QLineEdit*>(w)) texto = e->text();
        if (auto* c = qobject_cast<QComboBox*>(w)) texto = c->currentText();
        EXPECT_EQ(texto, QString::fromUtf8(caso.texto));
    }
    for (const char* soloLectura : {"EUltenvio", "Edit1"}) EXPECT_TRUE(control<QLineEdit>(soloLectura)->isReadOnly());
    EXPECT_FALSE(control<QCheckBox>("ckreciente")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("CkError")->isChecked());
    EXPECT_EQ(control<QComboBox>("CboAgencia")->maxVisibleItems(), 4);
    EXPECT_EQ(control<QProgressBar>("ProgressBar1")->parentWidget(), control<QWidget>("Panel3"));
    auto* timer = control<QTimer>("Timer1");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1800000);

    // The company selector is a lookup whose drop-down is a grid, filled
    // after the login (replaced here).
    mostrar();
    auto* lcia = control<app::ComboBusqueda>("LCiaOri");
    EXPECT_NE(qobject_cast<QTableView*>(lcia->view()), nullptr);
    EXPECT_EQ(lcia->model()->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("Código"));
    EXPECT_EQ(lcia->model()->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("Nombre"));
    ASSERT_EQ(lcia->count(), 4);
    EXPECT_EQ(lcia->model()->index(0, 0).data().toString(), "001");
    EXPECT_EQ(lcia->model()->index(0, 1).data().toString(), "Uno");
    EXPECT_EQ(lcia->currentIndex(), -1) << "nothing is chosen for the operator";
    EXPECT_EQ(control<QComboBox>("SerOri1")->currentText(), QString::fromStdString(ubicacion()));
}

// --- Start-up ---------------------------------------------------------------------

TEST_F(Escritorio, ArgumentosDelArranque) {
    struct Caso {
        const char* nombre;
        int cuantos;           // first N of the five unattended arguments
        const char* compania;  // argument 4
        const char* quinto;    // argument 5
        bool dialogo;
        const char* elegida;  // LCiaOri's key afterwards
        bool reciente;
        int intervalo;  // Timer1 afterwards
    };
    const Caso casos[] = {
        {"cinco argumentos", 5, "001", "x", false, "001", true, 60000},
        {"cuatro argumentos", 4, "001", "x", false, "001", false, 60000},
        {"quinto vacío", 5, "001", "", false, "001", false, 60000},
        {"tres argumentos", 3, "", "", true, "", false, 1800000},
        {"sin argumentos", 0, "", "", true, "", false, 1800000},
        {"código vacío", 5, "", "x", true, "", false, 1800000},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        crearVentana(desatendido(caso.compania, caso.quinto).mid(0, caso.cuantos));
        accesos = 0;
        mostrar();
        ASSERT_TRUE(esperarHasta(
            [&] { return accesos > 0 || iniciadas->count() > 0 || !Presentado::instancia().errores.isEmpty(); }));
        EXPECT_EQ(accesos, caso.dialogo ? 1 : 0);
        EXPECT_TRUE(Presentado::instancia().errores.isEmpty())
            << Presentado::instancia().errores.join("\n").toStdString();
        const bool corre = !caso.dialogo;
        if (corre) {
            EXPECT_TRUE(esperarFin());
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(iniciadas->count(), corre ? 1 : 0) << "a run starts at once only when unattended";
        EXPECT_EQ(control<app::ComboBusqueda>("LCiaOri")->valorClave(), QString::fromUtf8(caso.elegida));
        EXPECT_EQ(control<QCheckBox>("ckreciente")->isChecked(), caso.reciente);
        EXPECT_EQ(control<QComboBox>("SerOri1")->currentText(), QString::fromStdString(ubicacion()));
        EXPECT_EQ(control<QTimer>("Timer1")->interval(), caso.intervalo);
        EXPECT_TRUE(control<QTimer>("Timer1")->isActive());
        EXPECT_EQ(terminado->count(), 0);
    }
}

TEST_F(Escritorio, CincoArgumentosEnvianEnSeguidaLoMasRecientePrimero) {
    const int64_t viejo = encolarEntrada("000001", 1);
    const int64_t nuevo = encolarEntrada("000002", 2);
    crearVentana(desatendido());
    mostrar();
    ASSERT_TRUE(esperarFin());
    EXPECT_EQ(accesos, 0);
    EXPECT_EQ(eventosEnBitacora(), (std::vector<std::string>{std::to_string(nuevo), std::to_string(viejo)}));
    EXPECT_FALSE(pendiente(cia("001"), viejo));
    EXPECT_FALSE(pendiente(cia("001"), nuevo));
    EXPECT_EQ(control<QComboBox>("CboAgencia")->currentText(), "Todas") << "the company change ran";
    EXPECT_FALSE(control<QLineEdit>("EUltenvio")->text().isEmpty());
    EXPECT_FALSE(control<QWidget>("Panel3")->isVisible());
    EXPECT_FALSE(control<QWidget>("Edit1")->isVisible());
    EXPECT_EQ(control<QTimer>("Timer1")->interval(), 60000);
    EXPECT_TRUE(control<QTimer>("Timer1")->isActive());
    EXPECT_TRUE(Presentado::instancia().errores.isEmpty());
    EXPECT_TRUE(Presentado::instancia().mensajes.isEmpty());
}

TEST_F(Escritorio, TresArgumentosMuestranElDialogoDeAcceso) {
    std::ofstream(directorio() + "/SERVIDORES.cfg", std::ios::binary) << ubicacion() << "\r\n";
    struct Caso {
        const char* nombre;
        Qt::Key tecla;
        bool entra;
    };
    for (const Caso& caso : {Caso{"F2 entra", Qt::Key_F2, true}, Caso{"Esc sale", Qt::Key_Escape, false}}) {
        SCOPED_TRACE(caso.nombre);
        crearVentana(desatendido().mid(0, 3), true);
        QString titulo;
        // Types into the modal dialog once it is up.
        QTimer manos;
        manos.setInterval(10);
        QObject::connect(&manos, &QTimer::timeout, [&] {
            auto* dialogo = qobject_cast<app::DialogoAcceso*>(QApplication::activeModalWidget());
            if (!dialogo) return;
            manos.stop();
            titulo = dialogo->windowTitle();
            auto* usuario = dialogo->findChild<QLineEdit*>("Tusua");
            usuario->setText(QString::fromStdString(pruebas::usuarioPruebas()));
            dialogo->findChild<QLineEdit*>("TClave")->setText(QString::fromStdString(pruebas::clavePruebas()));
            QTest::keyClick(usuario, caso.tecla);
        });
        manos.start();
        mostrar();
        ASSERT_TRUE(esperarHasta([&] { return !titulo.isEmpty(); }));
        EXPECT_EQ(titulo, "Control de acceso");
        QCoreApplication::processEvents();
        EXPECT_EQ(terminado->count(), caso.entra ? 0 : 1);
        EXPECT_EQ(ventana->isVisible(), caso.entra);
        EXPECT_EQ(control<QComboBox>("SerOri1")->currentText().toStdString(), caso.entra ? ubicacion() : "");
        EXPECT_EQ(control<QComboBox>("LCiaOri")->count(), caso.entra ? 4 : 0);
        EXPECT_EQ(ventana->sesion().ingreso().usuario, caso.entra ? pruebas::usuarioPruebas() : "");
        EXPECT_EQ(iniciadas->count(), 0);
    }
}

TEST_F(Escritorio, AccesoCanceladoTerminaElPrograma) {
    accesoAcepta = false;
    crearVentana({});
    mostrar();
    ASSERT_TRUE(esperarHasta([&] { return terminado->count() == 1; }));
    EXPECT_EQ(accesos, 1);
    EXPECT_FALSE(ventana->isVisible());
    EXPECT_FALSE(control<QTimer>("Timer1")->isActive());
    EXPECT_EQ(iniciadas->count(), 0);
}

TEST_F(Escritorio, SegundaActivacionNoRepiteNada) {
    for (bool conArgumentos : {true, false}) {
        SCOPED_TRACE(conArgumentos ? "desatendido" : "con diálogo");
        accesos = 0;
        crearVentana(conArgumentos ? desatendido() : QStringList{});
        mostrar();
        if (conArgumentos) {
            ASSERT_TRUE(esperarFin());
        }
        ASSERT_TRUE(esperarHasta([&] { return conArgumentos || accesos == 1; }));
        // A screen closing activates the window again; so does hiding and showing it.
        ventana->FormActivate();
        ventana->hide();
        ventana->show();
        ventana->activateWindow();
        QTest::qWait(50);
        EXPECT_EQ(accesos, conArgumentos ? 0 : 1);
        EXPECT_EQ(iniciadas->count(), conArgumentos ? 1 : 0);
    }
}

TEST_F(Escritorio, ErroresDelArranqueDesatendidoNoDejanCorrer) {
    struct Caso {
        const char* nombre;
        QStringList argumentos;
        QString mensaje;
        const char* usuario;  // login user of the ERRORES.TXT line
    };
    const QString usuario = QString::fromStdString(pruebas::usuarioPruebas());
    const QString clave = QString::fromStdString(pruebas::clavePruebas());
    const Caso casos[] = {
        {"equipo desconocido",
         {"srv9:/erp", usuario, clave, "001"},
         QString::fromUtf8("No se encontró el equipo servidor con nombre srv9"),
         ""},
        {"compañía sin base", desatendido("009"),
         QString::fromUtf8("No se encontró el archivo o la ruta ") +
             QString::fromStdString(carpeta.ruta() + "/datos/009/valdrex.fdb"),
         "SYSDBA"},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Presentado::instancia().limpiar();
        screens::ManejoErrores::fijarUsuario("");
        crearVentana(caso.argumentos);
        mostrar();
        ASSERT_TRUE(esperarHasta([&] { return !Presentado::instancia().errores.isEmpty(); }));
        QTest::qWait(20);
        EXPECT_EQ(Presentado::instancia().errores, QStringList{caso.mensaje});
        EXPECT_EQ(accesos, 0);
        EXPECT_EQ(iniciadas->count(), 0);
        EXPECT_EQ(control<QTimer>("Timer1")->interval(), 1800000);
        EXPECT_TRUE(control<QTimer>("Timer1")->isActive()) << "the window stays, with its timer";
        const auto errores = pruebas::lineas(directorio() + "/ERRORES.TXT");
        ASSERT_FALSE(errores.empty());
        EXPECT_EQ(pruebas::camposDeError(errores.back()).at(2), caso.usuario);
    }
}

// --- Company change -------------------------------------------------------------

TEST_F(Escritorio, CambioDeCompaniaReemplazaLasAgencias) {
    cia("003").ejecutar("delete from SUCURSALES");
    crearVentana({});
    mostrar();
    ASSERT_EQ(accesos, 1);
    auto agencias = [&] {
        QStringList r;
        auto* combo = control<QComboBox>("CboAgencia");
        for (int i = 0; i < combo->count(); ++i) r << combo->itemText(i);
        EXPECT_EQ(combo->currentIndex(), combo->count() ? 0 : -1);
        return r;
    };
    elegirCompania("003");
    EXPECT_EQ(agencias(), QStringList{"Todas"}) << "a company without agencies";
    EXPECT_EQ(ventana->sesion().DbCia.base(), engine::nombreBaseCompania(ubicacion(), "003"));
    elegirCompania("001");
    EXPECT_EQ(agencias(), (QStringList{"Todas", "Principal", "Sucursal Norte"}));
    EXPECT_TRUE(ventana->sesion().DbCia.abierta());
    EXPECT_TRUE(Presentado::instancia().errores.isEmpty());

    elegirCompania("009");  // listed in COMPANIA, without a database
    ASSERT_EQ(Presentado::instancia().errores.size(), 1);
    EXPECT_TRUE(
        Presentado::instancia().errores[0].startsWith(QString::fromUtf8("No se encontró el archivo o la ruta ")));
    EXPECT_EQ(agencias(), (QStringList{"Todas", "Principal", "Sucursal Norte"})) << "a failed change keeps the list";
}

// --- Timer and runs ---------------------------------------------------------------

TEST_F(Escritorio, TemporizadorTrasCadaCorrida) {
    struct Caso {
        const char* nombre;
        bool conTimer;  // started by a tick, else by "Enviar"
        const char* compania;
        const char* minutos;
        const char* operaciones;
        int intervalo;
        const char* mensaje;  // plain message shown
        const char* error;    // start of the error box shown
    };
    const Caso casos[] = {
        {"un minuto, por el botón", false, "001", "1", "100", 60000, nullptr, nullptr},
        {"cinco minutos, por el temporizador", true, "001", "5", "100", 300000, nullptr, nullptr},
        {"termina con error", true, "001", "2", "abc", 120000, nullptr, "Se presento el siguiente error: "},
        {"sin compañía", true, nullptr, "5", "100", 1800000, "Debe indicar la compañía de origen.", nullptr},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        crearVentana({});
        mostrar();
        Presentado::instancia().limpiar();
        if (caso.compania) elegirCompania(caso.compania);
        control<QLineEdit>("Minut")->setText(caso.minutos);
        control<QLineEdit>("NroOp")->setText(caso.operaciones);
        if (caso.conTimer)
            ventana->Timer1Timer();
        else
            QTest::mouseClick(control<QPushButton>("SpeedButton1"), Qt::LeftButton);
        ASSERT_TRUE(esperarFin());
        EXPECT_EQ(control<QTimer>("Timer1")->interval(), caso.intervalo);
        EXPECT_TRUE(control<QTimer>("Timer1")->isActive());
        EXPECT_EQ(Presentado::instancia().mensajes,
                  caso.mensaje ? QStringList{QString::fromUtf8(caso.mensaje)} : QStringList{});
        if (caso.error) {
            ASSERT_EQ(Presentado::instancia().errores.size(), 1);
            EXPECT_TRUE(Presentado::instancia().errores[0].startsWith(caso.error))
                << Presentado::instancia().errores[0].toStdString();
            const auto errores = pruebas::lineas(directorio() + "/ERRORES.TXT");
            ASSERT_FALSE(errores.empty());
            EXPECT_EQ(pruebas::camposDeError(errores.back()).at(2), "SYSDBA");
        } else {
            EXPECT_TRUE(Presentado::instancia().errores.isEmpty())
                << Presentado::instancia().errores.join("\n").toStdString();
        }
    }
}

TEST_F(Escritorio, NadaEmpiezaMientrasTrabajaUnaCorrida) {
    const int64_t evento = encolarEntrada("000001", 1);
    crearVentana({});
    mostrar();
    elegirCompania("001");
    compuerta->armar();
    QTest::mouseClick(control<QPushButton>("SpeedButton1"), Qt::LeftButton);
    ASSERT_TRUE(esperarHasta([&] { return compuerta->alcanzada(); })) << "the run reaches its first event";
    ASSERT_TRUE(ventana->trabajando());

    // The window goes on painting and showing the run's reports.
    int pintadas = 0;
    struct Contador : QObject {
        int* n;
        explicit Contador(int* n) : n(n) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++*n;
            return false;
        }
    } contador(&pintadas);
    ventana->installEventFilter(&contador);
    ventana->update();
    EXPECT_TRUE(esperarHasta([&] { return pintadas > 0; }));
    EXPECT_TRUE(esperarHasta([&] { return control<QLineEdit>("Edit1")->text() == "11,C,EN000001,"; }));
    EXPECT_TRUE(control<QWidget>("Edit1")->isVisible());
    EXPECT_TRUE(control<QWidget>("Panel3")->isVisible());
    EXPECT_EQ(control<QLabel>("Panel3Leyenda")->text(), "Enviando información al servidor 002");

    // Neither the button, nor the timer, nor the screens start anything.
    for (const char* b : {"SpeedButton1", "PngSpeedButton1", "PngSpeedButton2", "PngSpeedButton3", "PngSpeedButton4"})
        EXPECT_FALSE(control<QPushButton>(b)->isEnabled()) << b;
    EXPECT_FALSE(control<QWidget>("LCiaOri")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("SpeedButton2")->isEnabled()) << "closing stays possible";
    QTest::mouseClick(control<QPushButton>("SpeedButton1"), Qt::LeftButton);
    ventana->SpeedButton1Click();
    ventana->Timer1Timer();
    bool seAbrio = false;  // a screen that opened anyway is closed, so the test fails instead of hanging
    QTimer::singleShot(2000, [&] {
        if (QWidget* m = QApplication::activeModalWidget()) {
            seAbrio = true;
            m->close();
        }
    });
    ventana->PngSpeedButton2Click();
    control<QTimer>("Timer1")->start(1);  // real ticks, many of them
    QTest::qWait(30);
    EXPECT_EQ(iniciadas->count(), 1);
    EXPECT_FALSE(seAbrio);

    compuerta->abrir();
    ASSERT_TRUE(esperarFin());
    QTest::qWait(20);
    EXPECT_EQ(iniciadas->count(), 1);
    EXPECT_EQ(finalizadas->count(), 1);
    EXPECT_EQ(eventosEnBitacora(), std::vector<std::string>{std::to_string(evento)}) << "one run only";
    EXPECT_FALSE(pendiente(cia("001"), evento));
    EXPECT_EQ(control<QTimer>("Timer1")->interval(), 60000) << "re-armed by the run";
    EXPECT_TRUE(control<QPushButton>("SpeedButton1")->isEnabled());
    EXPECT_TRUE(control<QWidget>("LCiaOri")->isEnabled());

    ventana->SpeedButton1Click();
    ASSERT_TRUE(esperarFin(2));
    EXPECT_EQ(iniciadas->count(), 2) << "once idle, Enviar works again";
}

TEST_F(Escritorio, CerrarDuranteUnaCorridaTerminaElEventoActual) {
    for (bool conCancelar : {false, true}) {
        SCOPED_TRACE(conCancelar ? "Cancelar" : "cerrar la ventana");
        compuerta = std::make_shared<pruebas::Compuerta>();
        std::remove((directorio() + "/ENVIO.TXT").c_str());
        const std::string n = conCancelar ? "1" : "0";
        const int64_t e1 = encolarEntrada("00010" + n, 1), e2 = encolarEntrada("00020" + n, 2),
                      e3 = encolarEntrada("00030" + n, 3);
        crearVentana({});
        mostrar();
        elegirCompania("001");
        compuerta->armar();
        ventana->SpeedButton1Click();
        ASSERT_TRUE(esperarHasta([&] { return compuerta->alcanzada(); }));

        if (conCancelar)
            QTest::mouseClick(control<QPushButton>("SpeedButton2"), Qt::LeftButton);
        else
            ventana->close();
        QTest::qWait(20);
        EXPECT_TRUE(ventana->isVisible()) << "the window waits for the run";
        EXPECT_EQ(terminado->count(), 0);
        EXPECT_FALSE(control<QPushButton>("SpeedButton2")->isEnabled());

        compuerta->abrir();
        ASSERT_TRUE(esperarHasta([&] { return terminado->count() == 1; }));
        EXPECT_FALSE(ventana->isVisible());
        EXPECT_FALSE(ventana->trabajando());
        EXPECT_FALSE(pendiente(cia("001"), e1)) << "the event in progress finished";
        EXPECT_TRUE(pendiente(cia("001"), e2));
        EXPECT_TRUE(pendiente(cia("001"), e3));
        EXPECT_EQ(eventosEnBitacora(), std::vector<std::string>{std::to_string(e1)});
        EXPECT_TRUE(Presentado::instancia().errores.isEmpty());
        cia("001").ejecutar("delete from REPLICA_EVENTOS");
    }
}

TEST_F(Escritorio, CancelarEnReposoCierraElPrograma) {
    crearVentana({});
    mostrar();
    QTest::mouseClick(control<QPushButton>("SpeedButton2"), Qt::LeftButton);
    EXPECT_EQ(terminado->count(), 1);
    EXPECT_FALSE(ventana->isVisible());
    EXPECT_FALSE(control<QTimer>("Timer1")->isActive());
}

TEST_F(Escritorio, BotonesAbrenSusPantallasModales) {
    struct Caso {
        const char* boton;
        const char* titulo;
    };
    const Caso casos[] = {
        {"PngSpeedButton1", "Mensajes de error o advertencia del envio"},
        {"PngSpeedButton2", "Configuración compañías"},
        {"PngSpeedButton3", "Documentos pendientes por transmitir"},
        {"PngSpeedButton4", "Configuración documentos"},
    };
    crearVentana({});
    mostrar();
    elegirCompania("001");
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.boton);
        QString visto;
        int corridasDurante = -1;
        // Closes the screen once it is up, after a tick has come in.
        QTimer cierre;
        cierre.setInterval(10);
        QObject::connect(&cierre, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            cierre.stop();
            visto = modal->windowTitle();
            ventana->Timer1Timer();
            corridasDurante = iniciadas->count();
            modal->close();
        });
        cierre.start();
        QTest::mouseClick(control<QPushButton>(caso.boton), Qt::LeftButton);
        cierre.stop();
        EXPECT_EQ(visto, QString::fromUtf8(caso.titulo));
        EXPECT_EQ(corridasDurante, 0) << "a tick while a screen is open starts nothing";
        EXPECT_EQ(accesos, 1) << "closing a screen does not repeat the login";
    }
    EXPECT_TRUE(Presentado::instancia().errores.isEmpty()) << Presentado::instancia().errores.join("\n").toStdString();
}

}  // namespace
