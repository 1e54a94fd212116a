// crear-bases: creates a fresh general database and N company databases
// under a server location, embedded (a folder) or through a server
// (host:/folder), optionally with demo data.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "db/errores.h"
#include "db/valor.h"
#include "engine/ajustes.h"
#include "schema/demo.h"
#include "schema/esquema.h"

namespace {

const char* kUso =
    "Uso: crear-bases [--demo] [--usuario U] [--clave C] UBICACION N\n"
    "  UBICACION  carpeta (/var/tmp/erp) o servidor y carpeta (localhost:/var/tmp/erp)\n"
    "  N          cantidad de compañías (001 ... N)\n"
    "  --demo     configura la replicación entre todas y carga documentos y eventos de ejemplo\n";

std::string codigoCompania(int k) {
    std::string c = std::to_string(k);
    return std::string(3 - std::min<size_t>(3, c.size()), '0') + c;
}

// The local folder of a location: what follows "host:", if any.
std::string carpetaLocal(const std::string& ubicacion) {
    size_t p = ubicacion.find(':');
    return (p != std::string::npos && p > 1) ? ubicacion.substr(p + 1) : ubicacion;
}

void prepararCarpeta(const std::filesystem::path& carpeta, const std::filesystem::path& archivo) {
    std::filesystem::create_directories(carpeta);
    // A server running as another user creates and opens the files.
    for (auto p = carpeta; !p.empty() && p != p.root_path(); p = p.parent_path()) {
        chmod(p.c_str(), 0777);
        if (p.filename() == "datos") break;
    }
    std::filesystem::remove(archivo);
}

}  // namespace

int main(int argc, char** argv) {
    bool demo = false;
    std::string usuario = std::getenv("ISC_USER") ? std::getenv("ISC_USER") : "SYSDBA";
    std::string clave = std::getenv("ISC_PASSWORD") ? std::getenv("ISC_PASSWORD") : "masterkey";
    std::vector<std::string> posicionales;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--demo")
            demo = true;
        else if (a == "--usuario" && i + 1 < argc)
            usuario = argv[++i];
        else if (a == "--clave" && i + 1 < argc)
            clave = argv[++i];
        else if (a == "--ayuda" || a == "-h" || a == "--help") {
            std::cout << kUso;
            return 0;
        } else
            posicionales.push_back(a);
    }
    if (posicionales.size() != 2) {
        std::cerr << kUso;
        return 2;
    }
    const std::string ubicacion = posicionales[0];
    int n = 0;
    try {
        n = std::stoi(posicionales[1]);
    } catch (const std::exception&) {
    }
    if (n < 1 || n > 999) {
        std::cerr << "N debe ser un número de 1 a 999\n";
        return 2;
    }

    try {
        const std::string local = carpetaLocal(ubicacion);
        auto conectar = [&](db::Conexion& c, const std::string& nombre) {
            c.fijarBase(nombre);
            c.fijarUsuario(usuario);
            c.fijarClave(clave);
        };

        db::Conexion general;
        prepararCarpeta(local + "/datos", local + "/datos/general.fdb");
        conectar(general, engine::nombreBaseGeneral(ubicacion));
        esquema::crearBaseGeneral(general);

        std::vector<std::string> codigos;
        for (int k = 1; k <= n; ++k) codigos.push_back(codigoCompania(k));
        std::vector<std::unique_ptr<db::Conexion>> companias;
        for (int k = 1; k <= n; ++k) {
            const std::string& cod = codigos[k - 1];
            general.ejecutar("INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE) VALUES (?, ?)",
                             {db::Valor::texto(cod), db::Valor::texto("Compañía " + cod)});
            prepararCarpeta(local + "/datos/" + cod, local + "/datos/" + cod + "/valdrex.fdb");
            auto c = std::make_unique<db::Conexion>();
            conectar(*c, engine::nombreBaseCompania(ubicacion, cod));
            esquema::crearBaseCompania(*c, int64_t(k) * 100000);
            if (demo) {
                std::vector<std::string> pares;
                for (const std::string& otro : codigos)
                    if (otro != cod) pares.push_back(otro);
                esquema::configurarCompania(*c, ubicacion, pares, usuario, clave);
            }
            companias.push_back(std::move(c));
        }
        if (demo && n >= 2) esquema::cargarDemo(*companias[0], *companias[1]);
        for (auto& c : companias) c->cerrar();
        general.cerrar();
        // Files created embedded belong to this user; let a server open them.
        for (const auto& e : std::filesystem::recursive_directory_iterator(local + "/datos"))
            if (e.is_regular_file()) chmod(e.path().c_str(), 0666);
        std::cout << "Bases creadas en " << ubicacion << "/datos: general y " << n << " compañía(s)"
                  << (demo ? " con datos de demostración" : "") << "\n";
        return 0;
    } catch (const db::ErrorBaseDatos& e) {
        std::cerr << e.what() << "\n";
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
    }
    return 1;
}
