#include "engine/registro.h"

#include <cctype>
#include <cstdlib>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace engine {

const char* const kMensajeSinClave = "No se encontró la Clave HKEY_LOCAL_MACHINE\\Software\\TKM\\ValdrexERP2017\\Directorio";

namespace {

#ifndef _WIN32
std::string recortar(const std::string& s) {
    size_t i = s.find_first_not_of(" \t\r\n");
    if (i == std::string::npos) return {};
    size_t f = s.find_last_not_of(" \t\r\n");
    return s.substr(i, f - i + 1);
}

bool igualSinMayusculas(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
#endif

}  // namespace

bool leerRegistro(const std::string& clave, const std::string& valor, std::string& resultado) {
    resultado.clear();
#ifdef _WIN32
    HKEY h;
    std::string subclave = clave.size() && clave[0] == '\\' ? clave.substr(1) : clave;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subclave.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    char buffer[2048];
    DWORD tam = sizeof buffer, tipo = 0;
    if (RegQueryValueExA(h, valor.c_str(), nullptr, &tipo, reinterpret_cast<BYTE*>(buffer), &tam) == ERROR_SUCCESS &&
        tipo == REG_SZ)
        resultado.assign(buffer, tam && buffer[tam - 1] == '\0' ? tam - 1 : tam);
    RegCloseKey(h);
    return true;
#else
    const char* archivo = std::getenv("REPLICADOR_REGISTRO");
    std::ifstream in(archivo && *archivo ? archivo : "/etc/replicador/registro.ini");
    if (!in) return false;
    // Registry paths are case-insensitive; so are the section names here.
    const std::string buscada = "HKEY_LOCAL_MACHINE" + clave;
    bool enSeccion = false, encontrada = false;
    std::string linea;
    while (std::getline(in, linea)) {
        linea = recortar(linea);
        if (linea.empty() || linea[0] == ';' || linea[0] == '#') continue;
        if (linea.front() == '[' && linea.back() == ']') {
            enSeccion = igualSinMayusculas(recortar(linea.substr(1, linea.size() - 2)), buscada);
            encontrada = encontrada || enSeccion;
            continue;
        }
        size_t igual = linea.find('=');
        if (enSeccion && igual != std::string::npos && igualSinMayusculas(recortar(linea.substr(0, igual)), valor))
            resultado = recortar(linea.substr(igual + 1));
    }
    return encontrada;
#endif
}

std::string diraplicacion(Notificador* notificador) {
    std::string directorio;
    if (leerRegistro("\\Software\\TKM\\ValdrexERP2017", "Directorio", directorio)) return directorio;
    if (leerRegistro("\\Software\\TKM\\ValdrexERP2016", "Directorio", directorio)) return directorio;
    if (notificador) notificador->avisar(kMensajeSinClave);
    return {};
}

std::string rutaEnDirectorio(const std::string& directorio, const std::string& archivo) {
#ifdef _WIN32
    return directorio + "\\" + archivo;
#else
    return directorio + "/" + archivo;
#endif
}

}  // namespace engine
