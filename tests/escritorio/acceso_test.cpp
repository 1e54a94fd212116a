// "Control de acceso" against a real general database: the server list, the
// keys, the login values and what a failed login leaves.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "apoyo/bases_prueba.h"
#include "apoyo_escritorio.h"
#include "app/dialogo_acceso.h"
#include "engine/cifrado.h"
#include "engine/registro.h"
#include "screens/manejo_errores.h"

namespace {

using pruebas::esperarHasta;
using pruebas::Presentado;

class Acceso : public ::testing::Test {
protected:
    void SetUp() override {
        pruebas::exigirServidorSiHaceFalta();
        if (IsSkipped()) return;
        ubicacion = pruebas::prefijoServidor() + carpeta.ruta();
        agente = carpeta.ruta() + "/agente";
        std::filesystem::create_directories(carpeta.ruta() + "/datos");
        std::filesystem::create_directories(agente);
        std::filesystem::permissions(carpeta.ruta() + "/datos", std::filesystem::perms::all);
        pruebas::crearGeneral(ubicacion, {{"001", "Uno"}});
        pruebas::fijarRegistro(carpeta.ruta() + "/registro.ini", agente);
        escribirServidores(ubicacion + "\r\nsrvB:D:\\ERP");
        Presentado::instancia().limpiar();
        Presentado::instancia().instalar();
    }

    void TearDown() override {
        dialogo.reset();
        sesion.reset();
    }

    void escribirServidores(const std::string& contenido) {
        std::ofstream(agente + "/SERVIDORES.cfg", std::ios::binary) << contenido;
    }

    // A fresh dialog reading the server list through the registry, shown and
    // active, with the user and password typed in.
    void abrir(const std::string& usuario = pruebas::usuarioPruebas(),
               const std::string& clave = pruebas::clavePruebas()) {
        dialogo.reset();
        sesion = std::make_unique<engine::Sesion>();
        dialogo = std::make_unique<app::DialogoAcceso>(*sesion, [] { return engine::diraplicacion(nullptr); });
        dialogo->show();
        dialogo->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialogo.get()));
        campo("Tusua")->setText(QString::fromStdString(usuario));
        campo("TClave")->setText(QString::fromStdString(clave));
    }

    QLineEdit* campo(const char* nombre) {
        if (std::string(nombre) == "Servidor") return servidor()->lineEdit();
        auto* e = dialogo->findChild<QLineEdit*>(nombre);
        EXPECT_NE(e, nullptr) << nombre;
        return e;
    }
    QComboBox* servidor() { return dialogo->findChild<QComboBox*>("Servidor"); }
    QLabel* aviso() { return dialogo->findChild<QLabel*>("Panel2"); }

    bool entro() const { return dialogo->result() == QDialog::Accepted && sesion->DbGeneral.abierta(); }
    std::vector<std::string> erroresTxt() { return pruebas::lineas(agente + "/ERRORES.TXT"); }

    pruebas::CarpetaTemporal carpeta;
    std::string ubicacion, agente;
    std::unique_ptr<engine::Sesion> sesion;
    std::unique_ptr<app::DialogoAcceso> dialogo;
};

TEST_F(Acceso, ListaDeServidoresFocoYTextos) {
    abrir();
    EXPECT_EQ(dialogo->windowTitle(), "Control de acceso");
    ASSERT_EQ(servidor()->count(), 2) << "the last line has no line end and still counts";
    EXPECT_EQ(servidor()->itemText(0).toStdString(), ubicacion);
    EXPECT_EQ(servidor()->itemText(1), "srvB:D:\\ERP");
    EXPECT_EQ(servidor()->currentIndex(), 0);
    EXPECT_TRUE(servidor()->isEditable());
    EXPECT_EQ(QApplication::focusWidget(), campo("Tusua"));
    EXPECT_EQ(campo("TClave")->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(aviso()->isVisible());
    EXPECT_EQ(aviso()->text(), "Conectando con el servidor");
    struct Texto {
        const char* nombre;
        const char* texto;
    };
    for (const Texto& t :
         {Texto{"Label1", "Servidor : "}, Texto{"Label3", "Usuario : "}, Texto{"Label4", "Clave : "}}) {
        auto* l = dialogo->findChild<QLabel*>(t.nombre);
        ASSERT_NE(l, nullptr) << t.nombre;
        EXPECT_EQ(l->text(), t.texto);
    }
    for (const Texto& t : {Texto{"SpeedButton1", "F2: &Entrar"}, Texto{"SpeedButton2", "ESC: &Salir"}}) {
        auto* b = dialogo->findChild<QAbstractButton*>(t.nombre);
        ASSERT_NE(b, nullptr) << t.nombre;
        EXPECT_EQ(b->text(), t.texto);
    }

    // Without the file the list is empty and the server is typed.
    std::filesystem::remove(agente + "/SERVIDORES.cfg");
    abrir();
    EXPECT_EQ(servidor()->count(), 0);
}

TEST_F(Acceso, TeclasDelDialogo) {
    enum Efecto { Entra, Sale, Nada };
    struct Caso {
        const char* nombre;
        const char* campo;
        Qt::Key tecla;
        Qt::KeyboardModifiers modificadores;
        Efecto efecto;
    };
    const Caso casos[] = {
        {"F2 en el servidor", "Servidor", Qt::Key_F2, Qt::NoModifier, Entra},
        {"F2 en el usuario", "Tusua", Qt::Key_F2, Qt::NoModifier, Entra},
        {"F2 en la clave", "TClave", Qt::Key_F2, Qt::NoModifier, Entra},
        {"Esc", "Tusua", Qt::Key_Escape, Qt::NoModifier, Sale},
        {"Shift+F2", "Tusua", Qt::Key_F2, Qt::ShiftModifier, Nada},
        {"Ctrl+F2", "TClave", Qt::Key_F2, Qt::ControlModifier, Nada},
        {"Alt+F2", "Servidor", Qt::Key_F2, Qt::AltModifier, Nada},
        {"Ctrl+Esc", "Tusua", Qt::Key_Escape, Qt::ControlModifier, Nada},
        {"Shift+Esc", "TClave", Qt::Key_Escape, Qt::ShiftModifier, Nada},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        abrir();
        campo(caso.campo)->setFocus();
        QTest::keyClick(campo(caso.campo), caso.tecla, caso.modificadores);
        QCoreApplication::processEvents();
        EXPECT_EQ(entro(), caso.efecto == Entra);
        EXPECT_EQ(dialogo->isVisible(), caso.efecto == Nada);
        if (caso.efecto == Sale) {
            EXPECT_EQ(dialogo->result(), QDialog::Rejected);
        }
        EXPECT_EQ(sesion->ingreso().usuario.empty(), caso.efecto != Entra);
        EXPECT_TRUE(Presentado::instancia().errores.isEmpty());
    }
}

TEST_F(Acceso, EnterPasaAlCampoSiguienteSinEntrar) {
    struct Caso {
        const char* desde;
        const char* hasta;
    };
    const Caso casos[] = {{"Servidor", "Tusua"}, {"Tusua", "TClave"}, {"TClave", "Servidor"}};
    for (const Caso& caso : casos) {
        for (Qt::Key tecla : {Qt::Key_Return, Qt::Key_Enter}) {
            SCOPED_TRACE(std::string(caso.desde) + (tecla == Qt::Key_Return ? " Return" : " Enter"));
            abrir();
            campo(caso.desde)->setFocus();
            QTest::keyClick(campo(caso.desde), tecla);
            QWidget* foco = QApplication::focusWidget();
            ASSERT_NE(foco, nullptr);
            // The server combo keeps the focus for its line edit.
            QWidget* esperado =
                std::string(caso.hasta) == "Servidor" ? static_cast<QWidget*>(servidor()) : campo(caso.hasta);
            EXPECT_TRUE(foco == esperado || foco->focusProxy() == esperado || esperado->focusProxy() == foco)
                << foco->objectName().toStdString();
            EXPECT_TRUE(dialogo->isVisible());
            EXPECT_FALSE(sesion->DbGeneral.abierta()) << "Enter never logs in";
            EXPECT_EQ(servidor()->count(), 2) << "Enter adds nothing to the list";
        }
    }
}

TEST_F(Acceso, UsuarioEnMinusculasYClaveCifrada) {
    std::string minusculas = pruebas::usuarioPruebas();
    for (char& c : minusculas) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    abrir(minusculas);
    QTest::keyClick(campo("TClave"), Qt::Key_F2);
    ASSERT_TRUE(entro());
    EXPECT_EQ(sesion->DbGeneral.usuario(), minusculas) << "the general database gets the name as typed";
    EXPECT_EQ(sesion->ingreso().usuario, engine::mayusculas(minusculas));
    EXPECT_EQ(sesion->ingreso().servidor, ubicacion);
    EXPECT_EQ(sesion->ingreso().claveCifrada, engine::cifrar(pruebas::clavePruebas()));
    EXPECT_NE(sesion->ingreso().claveCifrada, pruebas::clavePruebas());
    EXPECT_FALSE(aviso()->isVisible());
    EXPECT_TRUE(campo("TClave")->text().isEmpty()) << "the typed password does not outlive the login";
}

TEST_F(Acceso, IngresoFallidoMuestraElMensajeYElDialogoSigue) {
    struct Caso {
        const char* nombre;
        std::string servidor, usuario, clave;
        QString mensaje;
        bool soloServidor;  // the embedded engine does not check passwords
    };
    const Caso casos[] = {
        {"clave incorrecta", ubicacion, pruebas::usuarioPruebas(), "otra-clave",
         QString::fromUtf8("El nombre de Usuario o la clave son incorrectas."), true},
        {"equipo desconocido", "srv9:/erp", pruebas::usuarioPruebas(), pruebas::clavePruebas(),
         QString::fromUtf8("No se encontró el equipo servidor con nombre srv9"), false},
        {"ruta inexistente", ubicacion + "/otra", pruebas::usuarioPruebas(), pruebas::clavePruebas(),
         QString::fromUtf8("No se encontró el archivo o la ruta ") +
             QString::fromStdString(carpeta.ruta() + "/otra/datos/general.fdb"),
         false},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        if (caso.soloServidor && !pruebas::modoServidor()) continue;
        Presentado::instancia().limpiar();
        const size_t antes = erroresTxt().size();
        abrir(caso.usuario, caso.clave);
        campo("Servidor")->setText(QString::fromStdString(caso.servidor));
        QTest::keyClick(campo("Tusua"), Qt::Key_F2);

        EXPECT_EQ(Presentado::instancia().errores, QStringList{caso.mensaje});
        const auto errores = erroresTxt();
        ASSERT_EQ(errores.size(), antes + 1);
        const auto campos = pruebas::camposDeError(errores.back());
        ASSERT_EQ(campos.size(), 4u);
        EXPECT_EQ(campos[2], "") << "no login user yet";
        EXPECT_FALSE(campos[3].empty());
        EXPECT_TRUE(dialogo->isVisible());
        EXPECT_NE(dialogo->result(), QDialog::Accepted);
        EXPECT_TRUE(aviso()->isVisible());
        EXPECT_EQ(aviso()->text(), "Conectando con el servidor origen");
        EXPECT_TRUE(sesion->ingreso().usuario.empty() && sesion->ingreso().servidor.empty());

        // The operator corrects the fields and tries again.
        campo("Servidor")->setText(QString::fromStdString(ubicacion));
        campo("Tusua")->setText(QString::fromStdString(pruebas::usuarioPruebas()));
        campo("TClave")->setText(QString::fromStdString(pruebas::clavePruebas()));
        QTest::keyClick(campo("TClave"), Qt::Key_F2);
        EXPECT_TRUE(entro());
        EXPECT_EQ(sesion->ingreso().servidor, ubicacion);
    }
}

}  // namespace
