// Reading SERVIDORES.cfg: every way a line can end, and files that hold
// nothing.
#include "app/lista_servidores.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "apoyo/bases_prueba.h"

namespace {

using Lineas = std::vector<std::string>;

TEST(ListaServidores, CadaFinDeLineaTerminaUnaLinea) {
    struct Caso {
        const char* nombre;
        std::string contenido;
        Lineas esperadas;
    };
    const std::string largo(1000, 'x');
    const Caso casos[] = {
        {"CR LF", "srvA:C:\\ERP\r\nsrvB:D:\\ERP\r\n", {"srvA:C:\\ERP", "srvB:D:\\ERP"}},
        {"LF", "srvA:C:\\ERP\nsrvB:D:\\ERP\n", {"srvA:C:\\ERP", "srvB:D:\\ERP"}},
        {"CR solo, sin perder la primera letra", "srvA:C:\\ERP\rsrvB:D:\\ERP\r", {"srvA:C:\\ERP", "srvB:D:\\ERP"}},
        {"sin fin de línea al final", "srvA:C:\\ERP\r\nsrvB:D:\\ERP", {"srvA:C:\\ERP", "srvB:D:\\ERP"}},
        {"una sola línea sin fin", "srvA:C:\\ERP", {"srvA:C:\\ERP"}},
        {"vacío", "", {}},
        {"finales mezclados", "a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"línea vacía en medio", "a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"CR CR es una línea vacía", "a\r\rb", {"a", "", "b"}},
        {"LF CR son dos finales", "a\n\rb", {"a", "", "b"}},
        {"solo un fin de línea", "\r\n", {""}},
        {"línea de mil caracteres", largo + "\r\nb", {largo, "b"}},
        {"bytes fuera de ASCII", "srv\xe1\xf1:C:\\ERP\r\n", {"srv\xe1\xf1:C:\\ERP"}},
    };
    pruebas::CarpetaTemporal carpeta;
    const std::string ruta = carpeta.ruta() + "/SERVIDORES.cfg";
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        std::ofstream(ruta, std::ios::binary | std::ios::trunc) << caso.contenido;
        EXPECT_EQ(app::leerListaServidores(ruta), caso.esperadas);
    }
}

TEST(ListaServidores, ArchivoQueNoSePuedeLeerDaListaVacia) {
    pruebas::CarpetaTemporal carpeta;
    EXPECT_EQ(app::leerListaServidores(carpeta.ruta() + "/SERVIDORES.cfg"), Lineas{}) << "missing";
    EXPECT_EQ(app::leerListaServidores(carpeta.ruta()), Lineas{}) << "a folder";
    EXPECT_EQ(app::leerListaServidores(""), Lineas{}) << "no name";
}

}  // namespace
