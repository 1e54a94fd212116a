// Settings of the agent: database names, the registry stand-in, the
// CONFIGURACION values, the company change, the logs and the message the
// operator sees for an error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "apoyo/replicacion_prueba.h"
#include "db/errores.h"
#include "engine/ajustes.h"
#include "engine/bitacora.h"
#include "engine/registro.h"
#include "engine/sesion.h"

namespace {

TEST(NombresDeBases, ComoLosArmaElAgente) {
    EXPECT_EQ(engine::nombreBaseGeneral("srv:C:\\ERP"), "srv:C:\\ERP/datos/general.fdb");
    EXPECT_EQ(engine::nombreBaseCompania("srv:C:\\ERP", "002"), "srv:C:\\ERP/datos/002/valdrex.fdb");
    const std::pair<const char*, const char*> pares[] = {
        {"srv2:D:\\ERP", "srv2:D:\\ERP\\datos\\003\\valdrex.fdb"},
        {"D:\\ERP", "D:\\ERP\\datos\\003\\valdrex.fdb"},
        {"srv2:/var/lib/erp", "srv2:/var/lib/erp/datos/003/valdrex.fdb"},
        {"/var/lib/erp", "/var/lib/erp/datos/003/valdrex.fdb"},
        {"", "\\datos\\003\\valdrex.fdb"},
    };
    for (auto [servidor, esperado] : pares) EXPECT_EQ(engine::nombreBasePar(servidor, "003"), esperado) << servidor;
}

struct Avisos : engine::Notificador {
    std::vector<std::string> recibidos;
    void avisar(const std::string& m) override { recibidos.push_back(m); }
};

TEST(Registro, DirectorioDeLaClave2017ODe2016) {
    pruebas::CarpetaTemporal t;
    const std::string ini = t.ruta() + "/registro.ini";
    setenv("REPLICADOR_REGISTRO", ini.c_str(), 1);
    struct Caso {
        const char* nombre;
        const char* contenido;  // nullptr: no file
        const char* directorio;
        bool aviso;
    };
    const Caso casos[] = {
        {"las dos claves", "[HKEY_LOCAL_MACHINE\\Software\\TKM\\ValdrexERP2016]\nDirectorio=/viejo\n"
                           "[HKEY_LOCAL_MACHINE\\Software\\TKM\\ValdrexERP2017]\r\nDirectorio = /srv/replicador\r\n",
         "/srv/replicador", false},
        {"solo 2016", "[HKEY_LOCAL_MACHINE\\Software\\TKM\\ValdrexERP2016]\nDirectorio=/viejo\n", "/viejo", false},
        {"clave sin valor", "[hkey_local_machine\\software\\tkm\\valdrexerp2017]\nOtro=1\n", "", false},
        {"ninguna clave", "[Otra]\nDirectorio=/x\n", "", true},
        {"sin archivo", nullptr, "", true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        std::remove(ini.c_str());
        if (c.contenido) std::ofstream(ini) << c.contenido;
        Avisos avisos;
        EXPECT_EQ(engine::diraplicacion(&avisos), c.directorio);
        EXPECT_EQ(avisos.recibidos.size(), c.aviso ? 1u : 0u);
        if (c.aviso) {
            EXPECT_EQ(avisos.recibidos[0],
                      "No se encontró la Clave HKEY_LOCAL_MACHINE\\Software\\TKM\\ValdrexERP2017\\Directorio");
        }
    }
    unsetenv("REPLICADOR_REGISTRO");
}

TEST(MensajeParaUsuario, SegunElTextoDelError) {
    const std::pair<const char*, const char*> casos[] = {
        {"Your user name and password are not defined. Ask your database administrator to set up a Firebird login.",
         "El nombre de Usuario o la clave son incorrectas."},
        {"I/O error during \"open\" operation for file \"/srv/datos/009/valdrex.fdb\"\n-Error while trying to open file",
         "No se encontró el archivo o la ruta /srv/datos/009/valdrex.fdb"},
        {"I/O error for file \"C:\\ERP\\datos\\general.fdb\"", "No se encontró el archivo o la ruta C:\\ERP\\datos\\general.fdb"},
        {"Unable to complete network request to host \"srv9\".\n-Failed to establish a connection.",
         "No se encontró el equipo servidor con nombre srv9"},
        {"I/O error during \"lock\" operation for file \"/x.fdb\"",
         "Se presento el siguiente error: I/O error during \"lock\" operation for file \"/x.fdb\""},
        {"violation of FOREIGN KEY", "Se presento el siguiente error: violation of FOREIGN KEY"},
    };
    for (auto [error, mostrado] : casos) EXPECT_EQ(engine::mensajeParaUsuario(error), mostrado) << error;
}

TEST(Bitacora, LineasConCrLfYUnaAperturaPorLinea) {
    pruebas::CarpetaTemporal t;
    engine::archivo_auditoria(t.ruta(), "7", "11", "FV000123");
    engine::registrarError(t.ruta(), "", "primera\n-segunda\r\n-tercera");
    const std::string fallo = engine::registrarFalloConexion(t.ruta(), "srv9:/datos/002/valdrex.fdb");
    auto leer = [&](const char* n) {
        std::ifstream in(t.ruta() + "/" + n, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    engine::Momento m = engine::ahora();
    const std::string fecha = engine::fechaCorta(m.fecha);
    std::string envio = leer("ENVIO.TXT");
    EXPECT_EQ(envio.rfind(fecha + ",", 0), 0u);
    EXPECT_EQ(envio.substr(envio.size() - 16), ",7,11,FV000123\r\n");
    std::string errores = leer("ERRORES.TXT");
    EXPECT_EQ(errores.substr(errores.find(",,")), ",,primera -segunda -tercera\r\n") << "usuario vacío antes del ingreso";
    EXPECT_EQ(fallo.rfind("Ult. error:" + fecha + ":", 0), 0u);
    EXPECT_EQ(fallo.substr(fallo.find(" No se")), " No se pudo conectar con el servidor srv9:/datos/002/valdrex.fdb");
    engine::archivo_auditoria(t.ruta(), "8", "12", "SA1");
    envio = leer("ENVIO.TXT");
    EXPECT_EQ(std::count(envio.begin(), envio.end(), '\n'), 2) << "se agrega, no se reescribe";
    EXPECT_THROW(engine::archivo_auditoria(t.ruta() + "/no/existe", "1", "1", ""), std::runtime_error);
}

class Configuracion : public pruebas::Replicacion {};

TEST_F(Configuracion, LecturasDeConfiguracionYCambioDeCompania) {
    db::Conexion par;
    engine::configurarPar(par, cia("001"), "srv2:D:\\ERP", "002");
    EXPECT_EQ(par.base(), "srv2:D:\\ERP\\datos\\002\\valdrex.fdb");
    EXPECT_EQ(par.usuario(), pruebas::usuarioPruebas());
    EXPECT_EQ(par.clave(), pruebas::clavePruebas());
    EXPECT_EQ(engine::leerConfiguracion(cia("001"), engine::kSentenciaFechaBloqueo), "");
    cia("002").ejecutar(
        "INSERT INTO CONFIGURACION VALUES ('CONTABILIDAD', 'GENERAL', 'FECHA DE BLOQUEO', '2026-01-31')");
    EXPECT_EQ(engine::leerConfiguracion(cia("002"), engine::kSentenciaFechaBloqueo), "2026-01-31");

    engine::Sesion sesion;
    sesion.fijarIngreso(ubicacion(), "sysdba", pruebas::clavePruebas());
    EXPECT_EQ(sesion.ingreso().usuario, "SYSDBA");
    EXPECT_NE(sesion.ingreso().claveCifrada, pruebas::clavePruebas());
    cia("003").ejecutar("DELETE FROM SUCURSALES");
    EXPECT_EQ(sesion.elegirCompania("001"), (std::vector<std::string>{"Todas", "Principal", "Sucursal Norte"}));
    EXPECT_EQ(sesion.DbCia.base(), engine::nombreBaseCompania(ubicacion(), "001"));
    EXPECT_EQ(sesion.elegirCompania("003"), (std::vector<std::string>{"Todas"}));
    EXPECT_THROW(sesion.elegirCompania("404"), db::ErrorBaseDatos);
    EXPECT_EQ(sesion.companiaActual(), "003");
}

}  // namespace
