// Every statement the handlers send, and every column position they rely
// on, checked against a real company database built from the schema.
#include <gtest/gtest.h>

#include "apoyo/bases_prueba.h"
#include "db/conjunto_filas.h"
#include "db/guion.h"
#include "schema/esquema.h"

namespace {

const std::string kEsquemas = REPLICADOR_ESQUEMAS;

class Esquema : public ::testing::Test {
protected:
    void SetUp() override { pruebas::exigirServidorSiHaceFalta(); }
    pruebas::CarpetaTemporal carpeta;

    std::unique_ptr<db::Conexion> nueva(const std::string& archivo, bool general) {
        auto c = std::make_unique<db::Conexion>();
        c->fijarBase(carpeta.nombreBase(archivo));
        c->fijarUsuario(pruebas::usuarioPruebas());
        c->fijarClave(pruebas::clavePruebas());
        if (general)
            esquema::crearBaseGeneral(*c);
        else
            esquema::crearBaseCompania(*c, 100000);
        return c;
    }

    // Runs every statement of a check script; a failing one names itself.
    void repetir(db::Conexion& c, const std::string& guion, bool filasSonFallas) {
        for (const std::string& s : db::sentenciasDeGuion(db::leerArchivo(kEsquemas + "/" + guion))) {
            SCOPED_TRACE(s);
            try {
                db::ConjuntoFilas r = c.consultar(s);
                if (filasSonFallas) {
                    EXPECT_EQ(r.numFilas(), 0u) << "posición o clave fuera de lugar";
                }
            } catch (const std::exception& e) {
                ADD_FAILURE() << e.what();
            }
        }
    }
};

TEST_F(Esquema, SentenciasDeLosManejadoresSePreparanEnLaBaseDeCompania) {
    if (IsSkipped()) return;
    auto c = nueva("valdrex.fdb", false);
    repetir(*c, "comprobar_sentencias.sql", false);
    repetir(*c, "comprobar_posiciones.sql", true);
}

TEST_F(Esquema, BaseGeneralTieneCompaniasYUsuarios) {
    if (IsSkipped()) return;
    auto g = nueva("general.fdb", true);
    repetir(*g, "comprobar_general.sql", false);
}

}  // namespace
