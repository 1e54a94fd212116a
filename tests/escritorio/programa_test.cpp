// The `replicador` executable as a scheduler starts and stops it.
#include <gtest/gtest.h>

#include <QProcess>

#include "apoyo/replicacion_prueba.h"
#include "apoyo_escritorio.h"
#include "schema/demo.h"

namespace {

class Programa : public pruebas::Replicacion {
protected:
    void SetUp() override {
        Replicacion::SetUp();
        if (IsSkipped()) return;
        pruebas::crearGeneral(ubicacion(), {{"001", "Uno"}, {"002", "Dos"}});
        pruebas::fijarRegistro(carpeta.ruta() + "/registro.ini", directorio());
    }

    // An embedded database file is opened by one process at a time.
    void soltarBases() {
        local.cerrar();
        par.cerrar();
        for (auto& [codigo, c] : companias) c->cerrar();
    }
};

TEST_F(Programa, CincoArgumentosEnvianEnSeguidaYSigtermLoCierra) {
    int64_t doc = esquema::crearDocumentoInventario(cia("001"), 11, "EN", "000001", {{"A", "1"}});
    int64_t evento =
        esquema::encolarEvento(cia("001"), {"002", 11, db::Valor::entero(doc), "EN", "000001", "", "C", "", 1});
    soltarBases();

    QProcess agente;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert("QT_QPA_PLATFORM", "offscreen");
    agente.setProcessEnvironment(entorno);
    agente.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    agente.start(REPLICADOR_ESCRITORIO,
                 {QString::fromStdString(ubicacion()), QString::fromStdString(pruebas::usuarioPruebas()),
                  QString::fromStdString(pruebas::clavePruebas()), "001", "x"});
    ASSERT_TRUE(agente.waitForStarted(10000));
    const bool envio = pruebas::esperarHasta([&] { return lineasArchivo("ENVIO.TXT").size() == 1; });
    agente.terminate();
    // Generous: the embedded engine sometimes takes long to detach on exit.
    ASSERT_TRUE(agente.waitForFinished(60000)) << "SIGTERM closes the window";
    ASSERT_TRUE(envio) << "the run starts at once, without a dialog";
    EXPECT_EQ(agente.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(agente.exitCode(), 0);
    EXPECT_FALSE(pendiente(cia("001"), evento));
    EXPECT_TRUE(lineasArchivo("ERRORES.TXT").empty());
}

}  // namespace
