#include "apoyo/bases_prueba.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "db/errores.h"
#include "db/guion.h"

namespace pruebas {

namespace {
std::string entorno(const char* nombre, const char* omision) {
    const char* v = std::getenv(nombre);
    return v && *v ? v : omision;
}
}  // namespace

std::string prefijoServidor() {
    std::string host = entorno("REPLICADOR_PRUEBAS_SERVIDOR", "");
    return host.empty() ? "" : host + ":";
}

bool modoServidor() { return !prefijoServidor().empty(); }
std::string usuarioPruebas() { return entorno("ISC_USER", "SYSDBA"); }
std::string clavePruebas() { return entorno("ISC_PASSWORD", "masterkey"); }

CarpetaTemporal::CarpetaTemporal() {
    std::string plantilla = std::filesystem::temp_directory_path().string() + "/replicador-XXXXXX";
    char* r = mkdtemp(plantilla.data());
    if (!r) throw std::runtime_error("mkdtemp");
    ruta_ = r;
    // The server runs as another user and must create files here.
    chmod(ruta_.c_str(), 0777);
}

CarpetaTemporal::~CarpetaTemporal() {
    std::error_code ec;
    std::filesystem::remove_all(ruta_, ec);
}

std::unique_ptr<db::Conexion> conectar(const std::string& nombre) {
    auto c = std::make_unique<db::Conexion>();
    c->fijarBase(nombre);
    c->fijarUsuario(usuarioPruebas());
    c->fijarClave(clavePruebas());
    c->abrir();
    return c;
}

std::unique_ptr<db::Conexion> crearBase(const std::string& nombre, const std::string& guion) {
    auto c = std::make_unique<db::Conexion>();
    c->fijarBase(nombre);
    c->fijarUsuario(usuarioPruebas());
    c->fijarClave(clavePruebas());
    c->crearBase();
    db::ejecutarGuion(*c, guion);
    return c;
}

void exigirServidorSiHaceFalta() {
    if (!modoServidor()) return;
    static int disponible = -1;
    if (disponible < 0) {
        CarpetaTemporal t;
        try {
            crearBase(t.nombreBase("sonda.fdb"), "");
            disponible = 1;
        } catch (const db::ErrorBaseDatos& e) {
            disponible = 0;
            if (std::getenv("CI")) ADD_FAILURE() << "El servidor de pruebas no responde: " << e.mensaje();
        }
    }
    if (!disponible) GTEST_SKIP() << "Sin servidor de pruebas";
}

}  // namespace pruebas
