#include "engine/bitacora.h"

#include <cstdio>
#include <stdexcept>

#include "engine/formato.h"
#include "engine/registro.h"

namespace engine {

const char* const kArchivoEnvio = "ENVIO.TXT";
const char* const kArchivoErrorEnvio = "errorenvio.txt";
const char* const kArchivoErrores = "ERRORES.TXT";

namespace {

std::string fechaYHora(const char* separador) {
    Momento m = ahora();
    return fechaCorta(m.fecha) + separador + horaLarga(m.hora);
}

// The text between the first two double quotes after `desde`.
std::string entreComillas(const std::string& texto, size_t desde = 0) {
    size_t a = texto.find('"', desde);
    if (a == std::string::npos) return {};
    size_t b = texto.find('"', a + 1);
    return b == std::string::npos ? texto.substr(a + 1) : texto.substr(a + 1, b - a - 1);
}

}  // namespace

void escribirLinea(const std::string& ruta, const std::string& linea) {
    // Probe first, then create or append: the file may be read by another
    // program between two lines.
    std::FILE* sonda = std::fopen(ruta.c_str(), "rb");
    bool existe = sonda != nullptr;
    if (sonda) std::fclose(sonda);
    std::FILE* f = std::fopen(ruta.c_str(), existe ? "ab" : "wb");
    if (!f) throw std::runtime_error("No se pudo escribir el archivo " + ruta);
    std::string completa = linea + "\r\n";
    bool ok = std::fwrite(completa.data(), 1, completa.size(), f) == completa.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) throw std::runtime_error("No se pudo escribir el archivo " + ruta);
}

void archivo_auditoria(const std::string& directorio, const std::string& idEvento, const std::string& tipoEvento,
                       const std::string& documento) {
    escribirLinea(rutaEnDirectorio(directorio, kArchivoEnvio),
                  fechaYHora(",") + "," + idEvento + "," + tipoEvento + "," + documento);
}

std::string registrarFalloConexion(const std::string& directorio, const std::string& nombreBase) {
    const std::string texto = "No se pudo conectar con el servidor " + nombreBase;
    escribirLinea(rutaEnDirectorio(directorio, kArchivoErrorEnvio), fechaYHora(",") + "," + texto);
    return "Ult. error:" + fechaYHora(":") + " " + texto;
}

void registrarError(const std::string& directorio, const std::string& usuario, const std::string& mensaje) {
    std::string unaLinea;
    for (size_t i = 0; i < mensaje.size(); ++i) {
        char c = mensaje[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < mensaje.size() && mensaje[i + 1] == '\n') ++i;
            unaLinea += ' ';
        } else {
            unaLinea += c;
        }
    }
    escribirLinea(rutaEnDirectorio(directorio, kArchivoErrores), fechaYHora(",") + "," + usuario + "," + unaLinea);
}

std::string mensajeParaUsuario(const std::string& m) {
    if (m.find("Your user name and password are not defined") != std::string::npos)
        return "El nombre de Usuario o la clave son incorrectas.";
    if (m.find("I/O error for file") != std::string::npos)
        return "No se encontró el archivo o la ruta " + entreComillas(m);
    // The Firebird 3 client words it differently and names the operation
    // first; the file is the quoted text after "for file".
    const std::string abrir = "I/O error during \"open\" operation for file";
    if (size_t p = m.find(abrir); p != std::string::npos)
        return "No se encontró el archivo o la ruta " + entreComillas(m, p + abrir.size());
    if (m.find("Unable to complete network request") != std::string::npos)
        return "No se encontró el equipo servidor con nombre " + entreComillas(m);
    return "Se presento el siguiente error: " + m;
}

}  // namespace engine
