#include "apoyo/replicacion_prueba.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "engine/ajustes.h"
#include "handlers/catalogo.h"
#include "schema/esquema.h"

namespace pruebas {

void Replicacion::SetUp() {
    exigirServidorSiHaceFalta();
    if (IsSkipped()) return;
    std::filesystem::create_directories(directorio());
    const std::vector<std::string> codigos = {"001", "002", "003"};
    int k = 0;
    for (const std::string& cod : codigos) {
        std::string carpetaCia = carpeta.ruta() + "/datos/" + cod;
        std::filesystem::create_directories(carpetaCia);
        chmod((carpeta.ruta() + "/datos").c_str(), 0777);
        chmod(carpetaCia.c_str(), 0777);
        auto c = std::make_unique<db::Conexion>();
        c->fijarBase(engine::nombreBaseCompania(ubicacion(), cod));
        c->fijarUsuario(usuarioPruebas());
        c->fijarClave(clavePruebas());
        esquema::crearBaseCompania(*c, int64_t(++k) * 100000);
        std::vector<std::string> pares;
        if (cod == "001") pares = {"002"};
        if (cod == "002") pares = {"001"};
        esquema::configurarCompania(*c, ubicacion(), pares, usuarioPruebas(), clavePruebas());
        companias[cod] = std::move(c);
    }
    local.fijarBase(cia("001").base());
    local.fijarUsuario(usuarioPruebas());
    local.fijarClave(clavePruebas());
    corrida = std::make_unique<engine::Corrida>(local, par, handlers::catalogoCompleto(), observador,
                                                [this] { return directorio(); });
}

void Replicacion::TearDown() {
    corrida.reset();
    local.cerrar();
    par.cerrar();
    for (auto& [cod, c] : companias) c->cerrar();
}

engine::ResumenCorrida Replicacion::correr(engine::AjustesCorrida a) {
    if (a.companiaLocal.empty()) a.companiaLocal = "001";
    return corrida->ejecutar(a);
}

std::vector<std::string> Replicacion::volcado(db::Conexion& c, const std::string& consulta) {
    db::ConjuntoFilas r = c.consultar(consulta);
    std::vector<std::string> filas;
    for (size_t i = 0; i < r.numFilas(); ++i) {
        std::string f;
        for (size_t j = 0; j < r.numColumnas(); ++j) f += (j ? "|" : "") + r.valor(i, j).comoTextoONulo();
        filas.push_back(f);
    }
    return filas;
}

bool Replicacion::pendiente(db::Conexion& c, int64_t id) {
    db::ConjuntoFilas r = c.consultar("select RPEV_FECREP from REPLICA_EVENTOS where RPEV_ID = " + std::to_string(id));
    return !r.vacio() && r.valor(0, 0).esNulo();
}

std::string Replicacion::errorDeEvento(db::Conexion& c, int64_t id) {
    db::ConjuntoFilas r = c.consultar("select RPEV_ERROR from REPLICA_EVENTOS where RPEV_ID = " + std::to_string(id));
    return r.vacio() ? std::string() : r.valor(0, 0).comoTextoONulo();
}

std::vector<std::string> Replicacion::lineasArchivo(const std::string& nombre) {
    std::ifstream in(directorio() + "/" + nombre, std::ios::binary);
    std::vector<std::string> r;
    std::string l;
    while (std::getline(in, l)) r.push_back(l);
    return r;
}

}  // namespace pruebas
