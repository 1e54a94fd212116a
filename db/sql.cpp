#include "db/sql.h"

#include "db/errores.h"

namespace db {

std::string quoted(const std::string& x) {
    std::string r;
    r.reserve(x.size() + 2);
    r += '\'';
    for (char c : x) {
        if (c == '\'') r += '\'';
        r += c;
    }
    r += '\'';
    return r;
}

std::string claveNumerica(const std::string& texto) {
    size_t i = 0, n = texto.size();
    while (i < n && texto[i] == ' ') ++i;
    while (n > i && texto[n - 1] == ' ') --n;
    std::string r = texto.substr(i, n - i);
    size_t d = (!r.empty() && (r[0] == '-' || r[0] == '+')) ? 1 : 0;
    bool valida = r.size() > d && r.size() - d <= 19;
    for (size_t k = d; valida && k < r.size(); ++k) valida = r[k] >= '0' && r[k] <= '9';
    if (!valida) throw ErrorClave("La clave numérica '" + texto + "' no es un número entero");
    return r;
}

std::string claveNumerica(long long valor) { return std::to_string(valor); }

}  // namespace db
