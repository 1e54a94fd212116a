#include "engine/cifrado.h"

#include <cstdint>

namespace engine {

namespace {

// k[0] is never used; positions 1, 2, 3, 4... take k[1], k[2], k[3], k[1]...
const int32_t kClaves[4] = {0, 83, -41, 197};

int32_t claveDePosicion(size_t p) {
    size_t r = p % 3;
    return r > 0 ? kClaves[r] : kClaves[3];
}

std::string desplazar(const std::string& texto, int signo) {
    std::string r(texto.size(), '\0');
    const int64_t largo = static_cast<int64_t>(texto.size());
    for (size_t i = 0; i < texto.size(); ++i) {
        int64_t p = static_cast<int64_t>(i) + 1;
        int64_t c = static_cast<unsigned char>(texto[i]);
        int64_t v = (c + signo * (largo + p + claveDePosicion(static_cast<size_t>(p)))) % 256;
        if (v < 0) v += 256;
        r[i] = static_cast<char>(static_cast<unsigned char>(v));
    }
    return r;
}

}  // namespace

std::string cifrar(const std::string& texto) { return desplazar(texto, +1); }
std::string descifrar(const std::string& texto) { return desplazar(texto, -1); }

}  // namespace engine
