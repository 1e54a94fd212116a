// The credential cipher: a position-dependent byte shift,
// out[p] = in[p] + L + p + k(p) (mod 256), with k(p) repeating every three
// positions. The key values are the program's own; the tests read them off
// one known text and check every other text against them.
#include "engine/cifrado.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using engine::cifrar;
using engine::descifrar;

int byteEn(const std::string& s, size_t i) { return static_cast<unsigned char>(s.at(i)); }

// k(1), k(2), k(3) modulo 256, from the enciphered form of three zero bytes.
std::array<int, 4> claves() {
    const std::string c = cifrar(std::string(3, '\0'));
    std::array<int, 4> k{};
    for (int p = 1; p <= 3; ++p) k[p] = ((byteEn(c, p - 1) - 3 - p) % 256 + 256) % 256;
    return k;
}

int esperado(int c, int largo, int p) { return (c + largo + p + claves()[p % 3 ? p % 3 : 3]) % 256; }

TEST(Cifrado, TextoVacio) {
    EXPECT_EQ(cifrar(""), "");
    EXPECT_EQ(descifrar(""), "");
}

TEST(Cifrado, CadaPosicionUsaSuClaveYElLargo) {
    struct Caso {
        const char* nombre;
        std::string texto;
    };
    const Caso casos[] = {
        {"un byte: k1", "A"},
        {"tres bytes: k1, k2, k3", "abc"},
        {"seis bytes: la clave se repite", "clave1"},
        {"siete bytes", "masterk"},
        {"con bytes cero en medio", std::string("a\0b\0c", 5)},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        const std::string c = cifrar(caso.texto);
        ASSERT_EQ(c.size(), caso.texto.size());
        const int largo = static_cast<int>(caso.texto.size());
        for (int p = 1; p <= largo; ++p) {
            SCOPED_TRACE(p);
            EXPECT_EQ(byteEn(c, p - 1), esperado(byteEn(caso.texto, p - 1), largo, p));
        }
        EXPECT_EQ(descifrar(c), caso.texto);
    }
    // The same byte enciphers differently by position and by length.
    EXPECT_NE(cifrar("aa")[0], cifrar("aa")[1]);
    EXPECT_NE(cifrar("a")[0], cifrar("aa")[0]);
}

TEST(Cifrado, LosBytesQueDesbordanDanLaVuelta) {
    for (int c : {255, 254, 200, 128}) {
        SCOPED_TRACE(c);
        const std::string texto(3, static_cast<char>(c));
        const std::string cifrado = cifrar(texto);
        for (int p = 1; p <= 3; ++p) EXPECT_EQ(byteEn(cifrado, p - 1), esperado(c, 3, p));
        EXPECT_EQ(descifrar(cifrado), texto);
    }
}

TEST(Cifrado, IdaYVueltaDeCadaValorDeByte) {
    std::string todos;
    for (int c = 0; c < 256; ++c) {
        const std::string uno(1, static_cast<char>(c));
        EXPECT_EQ(descifrar(cifrar(uno)), uno) << c;
        todos += uno;
    }
    EXPECT_EQ(descifrar(cifrar(todos)), todos);
    // Every byte value at every key position, in texts of three lengths.
    for (size_t largo : {2u, 3u, 4u}) {
        for (int c = 0; c < 256; ++c) {
            const std::string texto(largo, static_cast<char>(c));
            ASSERT_EQ(descifrar(cifrar(texto)), texto) << c << " x" << largo;
        }
    }
}

}  // namespace
