// replicador-cli as a scheduler runs it: arguments, logs and exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "apoyo/replicacion_prueba.h"
#include "engine/ajustes.h"
#include "schema/esquema.h"

namespace {

using db::Valor;

class LineaDeComandos : public pruebas::Replicacion {
protected:
    void SetUp() override {
        Replicacion::SetUp();
        if (IsSkipped()) return;
        db::Conexion general;
        general.fijarBase(engine::nombreBaseGeneral(ubicacion()));
        general.fijarUsuario(pruebas::usuarioPruebas());
        general.fijarClave(pruebas::clavePruebas());
        esquema::crearBaseGeneral(general);
        general.ejecutar("INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE) VALUES ('001', 'Uno')");
        registro = carpeta.ruta() + "/registro.ini";
        std::ofstream(registro) << "[HKEY_LOCAL_MACHINE\\Software\\TKM\\ValdrexERP2017]\nDirectorio=" << directorio()
                                << "\n";
    }

    // Runs the agent with every database closed here (an embedded file is
    // opened by one process at a time); answers its exit code.
    int ejecutar(const std::string& argumentos, std::string* salidaError = nullptr) {
        local.cerrar();
        par.cerrar();
        for (auto& [cod, c] : companias) c->cerrar();
        const std::string errores = carpeta.ruta() + "/stderr.txt";
        std::string orden = "REPLICADOR_REGISTRO='" + registro + "' '" + REPLICADOR_CLI + "' " + argumentos +
                            " >/dev/null 2>'" + errores + "' </dev/null";
        int estado = std::system(orden.c_str());
        if (salidaError) {
            std::ifstream in(errores);
            salidaError->assign(std::istreambuf_iterator<char>(in), {});
        }
        return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    }

    std::string base() const {
        return "'" + ubicacion() + "' " + pruebas::usuarioPruebas() + " " + pruebas::clavePruebas() + " 001";
    }

    std::string registro;
};

TEST_F(LineaDeComandos, CodigoDeSalidaDiceComoTerminoLaCorrida) {
    int64_t doc = esquema::crearDocumentoInventario(cia("001"), 11, "EN", "000001", {{"A", "1"}});
    int64_t enviado = esquema::encolarEvento(cia("001"), {"002", 11, Valor::entero(doc), "EN", "000001", "", "C", "", 1});
    EXPECT_EQ(ejecutar(base() + " --una-vez"), 0);
    EXPECT_FALSE(pendiente(cia("001"), enviado));
    EXPECT_EQ(lineasArchivo("ENVIO.TXT").size(), 1u);

    // A line the peer refuses: exit 1, the event stays pending with the reason.
    cia("002").ejecutar("ALTER TABLE ENTRADAS_DETALLE ADD CONSTRAINT CK_CANT CHECK (ENDE_CANT > 0)");
    int64_t doc2 = esquema::crearDocumentoInventario(cia("001"), 11, "EN", "000002", {{"A", "0"}});
    int64_t fallido = esquema::encolarEvento(cia("001"), {"002", 11, Valor::entero(doc2), "EN", "000002", "", "C", "", 2});
    EXPECT_EQ(ejecutar(base() + " --una-vez"), 1);
    EXPECT_TRUE(pendiente(cia("001"), fallido));
    EXPECT_NE(errorDeEvento(cia("001"), fallido).find("CK_CANT"), std::string::npos);
    // Skipped by the prefix filter only: nothing failed.
    EXPECT_EQ(ejecutar(base() + " --una-vez --prefijo XX"), 0);
    EXPECT_EQ(ejecutar(base() + " --una-vez --no-reintentar-errores"), 0);

    // A peer that does not answer is a 1 as well.
    cia("001").ejecutar("update REPLICA_COMPANIA set RPCO_SERVIDOR = '" + carpeta.ruta() + "/nada'");
    EXPECT_EQ(ejecutar(base() + " --una-vez --no-reintentar-errores"), 1);
    EXPECT_EQ(lineasArchivo("errorenvio.txt").size(), 2u) << "fase A y fase B";
}

TEST_F(LineaDeComandos, NoPuedeEmpezarOTerminaPorUnError) {
    struct Caso {
        const char* nombre;
        std::string argumentos;
        const char* mensaje;
    };
    const Caso casos[] = {
        {"compañía sin base", "'" + ubicacion() + "' SYSDBA " + pruebas::clavePruebas() + " 009 --una-vez", "No se encontró el archivo o la ruta "},
        {"faltan argumentos", "'" + ubicacion() + "' SYSDBA x --una-vez", "Faltan argumentos"},
        {"opción desconocida", base() + " --una-vez --rapido", "Opción desconocida: --rapido"},
        {"cantidad inválida", base() + " --una-vez --operaciones diez", "Se presento el siguiente error: "},
    };
    esquema::encolarEvento(cia("001"), {"002", 0, Valor::entero(0), "", "", "", "C", "", 1});
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        std::string error;
        EXPECT_EQ(ejecutar(c.argumentos, &error), 2);
        EXPECT_NE(error.find(c.mensaje), std::string::npos) << error;
    }
    auto errores = lineasArchivo("ERRORES.TXT");
    ASSERT_EQ(errores.size(), 2u) << "los errores de conexión y de la corrida quedan en la bitácora";
    EXPECT_NE(errores[1].find(",SYSDBA,"), std::string::npos) << errores[1];

    std::string ayuda;
    EXPECT_EQ(ejecutar("--ayuda", &ayuda), 0);
}

}  // namespace
