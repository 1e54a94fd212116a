#include "db/guion.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace db {

namespace {

std::string recortar(const std::string& s) {
    size_t i = 0, n = s.size();
    while (i < n && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    while (n > i && std::isspace(static_cast<unsigned char>(s[n - 1]))) --n;
    return s.substr(i, n - i);
}

std::string mayusculas(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Upper-case words of a statement, for recognising client commands.
std::vector<std::string> palabras(const std::string& s) {
    std::vector<std::string> r;
    std::istringstream in(mayusculas(s));
    std::string p;
    while (in >> p) r.push_back(p);
    return r;
}

}  // namespace

std::vector<std::string> sentenciasDeGuion(const std::string& texto) {
    std::vector<std::string> r;
    std::string terminador = ";", actual;
    size_t i = 0, n = texto.size();
    auto cerrar = [&]() {
        std::string s = recortar(actual);
        actual.clear();
        if (s.empty()) return;
        auto w = palabras(s);
        if (w.size() >= 3 && w[0] == "SET" && w[1] == "TERM") {
            terminador = recortar(s.substr(s.find_first_of("Tt", 3) + 4));
            return;
        }
        if (w[0] == "COMMIT" || (w[0] == "SET" && w.size() > 1 &&
                                 (w[1] == "SQL" || w[1] == "NAMES" || w[1] == "AUTODDL" || w[1] == "ECHO")))
            return;
        r.push_back(s);
    };
    while (i < n) {
        if (texto.compare(i, 2, "--") == 0) {
            size_t fin = texto.find('\n', i);
            i = fin == std::string::npos ? n : fin;
            continue;
        }
        if (texto.compare(i, 2, "/*") == 0) {
            size_t fin = texto.find("*/", i + 2);
            i = fin == std::string::npos ? n : fin + 2;
            actual += ' ';
            continue;
        }
        if (texto[i] == '\'' || texto[i] == '"') {
            char q = texto[i];
            size_t j = i + 1;
            while (j < n && texto[j] != q) ++j;
            actual.append(texto, i, j + 1 - i);
            i = j + 1;
            continue;
        }
        // SET TERM itself ends with the terminator in force before it.
        if (texto.compare(i, terminador.size(), terminador) == 0) {
            cerrar();
            i += terminador.size();
            continue;
        }
        actual += texto[i++];
    }
    cerrar();
    return r;
}

void ejecutarGuion(Conexion& conexion, const std::string& texto) {
    for (const std::string& s : sentenciasDeGuion(texto)) conexion.ejecutar(s);
}

std::string leerArchivo(const std::string& ruta) {
    std::ifstream in(ruta, std::ios::binary);
    if (!in) throw std::runtime_error("No se pudo leer el archivo " + ruta);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace db
