#include "apoyo_escritorio.h"

#include <QTest>
#include <cstdlib>
#include <fstream>

#include "apoyo/bases_prueba.h"
#include "engine/ajustes.h"
#include "schema/esquema.h"
#include "screens/manejo_errores.h"

namespace pruebas {

bool esperarHasta(const std::function<bool()>& condicion, int ms) { return QTest::qWaitFor(condicion, ms); }

Presentado& Presentado::instancia() {
    static Presentado p;
    return p;
}

void Presentado::instalar() {
    screens::ManejoErrores::fijarPresentador(
        [](QWidget*, const QString& texto) { Presentado::instancia().errores << texto; });
    screens::ManejoErrores::fijarUsuario("");
}

void Presentado::limpiar() {
    errores.clear();
    mensajes.clear();
}

void Compuerta::armar() {
    std::lock_guard<std::mutex> c(m_);
    armada_ = true;
}

void Compuerta::abrir() {
    std::lock_guard<std::mutex> c(m_);
    abierta_ = true;
    cv_.notify_all();
}

bool Compuerta::alcanzada() {
    std::lock_guard<std::mutex> c(m_);
    return alcanzada_;
}

void Compuerta::pasar() {
    std::unique_lock<std::mutex> c(m_);
    if (!armada_ || abierta_) return;
    alcanzada_ = true;
    cv_.wait(c, [this] { return abierta_; });
}

void crearGeneral(const std::string& ubicacion, const std::vector<std::pair<std::string, std::string>>& companias) {
    db::Conexion general;
    general.fijarBase(engine::nombreBaseGeneral(ubicacion));
    general.fijarUsuario(usuarioPruebas());
    general.fijarClave(clavePruebas());
    esquema::crearBaseGeneral(general);
    for (const auto& [codigo, nombre] : companias)
        general.ejecutar("INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE) VALUES (?, ?)",
                         {db::Valor::texto(codigo), db::Valor::texto(nombre)});
    general.cerrar();
}

void fijarRegistro(const std::string& archivo, const std::string& directorio) {
    std::ofstream(archivo) << "[HKEY_LOCAL_MACHINE\\Software\\TKM\\ValdrexERP2017]\nDirectorio=" << directorio << "\n";
    setenv("REPLICADOR_REGISTRO", archivo.c_str(), 1);
}

std::vector<std::string> lineas(const std::string& ruta) {
    std::ifstream in(ruta, std::ios::binary);
    std::vector<std::string> r;
    std::string l;
    while (std::getline(in, l)) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        r.push_back(l);
    }
    return r;
}

std::vector<std::string> camposDeError(const std::string& linea) {
    std::vector<std::string> campos;
    size_t desde = 0;
    for (int i = 0; i < 3; ++i) {
        size_t coma = linea.find(',', desde);
        if (coma == std::string::npos) break;
        campos.push_back(linea.substr(desde, coma - desde));
        desde = coma + 1;
    }
    campos.push_back(linea.substr(desde));
    return campos;
}

}  // namespace pruebas
