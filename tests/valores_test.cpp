// Helpers that build statements and convert values, without a database.
#include <gtest/gtest.h>

#include "db/errores.h"
#include "db/guion.h"
#include "db/sql.h"
#include "db/valor.h"

using namespace db;

TEST(Quoted, DoblaLasComillasInternas) {
    const std::pair<const char*, const char*> casos[] = {
        {"", "''"},
        {"FV", "'FV'"},
        {"O'Neil", "'O''Neil'"},
        {"''", "''''''"},
        {"x' or '1'='1", "'x'' or ''1''=''1'"},
    };
    for (auto [entrada, esperado] : casos) EXPECT_EQ(quoted(entrada), esperado) << entrada;
}

TEST(ClaveNumerica, SoloAceptaEnterosLiterales) {
    const std::pair<const char*, const char*> validas[] = {{"512", "512"}, {" -7 ", "-7"}, {"+3", "+3"}, {"0", "0"}};
    for (auto [entrada, esperado] : validas) EXPECT_EQ(claveNumerica(entrada), esperado) << entrada;
    for (const char* invalida : {"", " ", "1 or 1=1", "1;delete from x", "1.5", "-", "12a", "0x10",
                                 "99999999999999999999"}) {
        try {
            claveNumerica(invalida);
            ADD_FAILURE() << "aceptó '" << invalida << "'";
        } catch (const ErrorClave& e) {
            EXPECT_NE(std::string(e.what()).find(invalida), std::string::npos) << "el mensaje nombra el valor";
        }
    }
}

TEST(Decimales, RedondeoALaMitadLejosDeCero) {
    struct Caso {
        int64_t valor;
        int de, a;
        int64_t esperado;
    };
    const Caso casos[] = {
        {1234567, 5, 4, 123457}, {-1234565, 5, 4, -123457}, {2345, 3, 2, 235},  {-2345, 3, 2, -235},
        {2344, 3, 2, 234},       {15, 1, 0, 2},             {-15, 1, 0, -2},    {7, 0, 4, 70000},
        {0, 6, 4, 0},            {4999, 4, 0, 0},           {5000, 4, 0, 1},
    };
    for (const Caso& c : casos) EXPECT_EQ(reescalar(c.valor, c.de, c.a), c.esperado) << c.valor << " " << c.de;
    EXPECT_THROW(reescalar(INT64_MAX / 10, 0, 4), ErrorConversion);
}

TEST(Decimales, DesdeTextoYHaciaTexto) {
    EXPECT_EQ(decimalDeTexto("12.34567", 4), 123457);
    EXPECT_EQ(decimalDeTexto(" -0.005 ", 2), -1);
    EXPECT_EQ(decimalDeTexto("80", 0), 80);
    for (const char* malo : {"", "1,5", "abc", "1.2.3", "-"}) EXPECT_THROW(decimalDeTexto(malo, 2), ErrorConversion);
    EXPECT_EQ(textoDecimal(-5, 4), "-0.0005");
    EXPECT_EQ(textoDecimal(123457, 4), "12.3457");
    EXPECT_EQ(Valor::fecha({2026, 3, 4}).comoTexto(), "2026-03-04");
    EXPECT_EQ(Valor::hora({9, 5, 0, 0}).comoTexto(), "09:05:00");
    EXPECT_THROW(Valor::nulo().comoTexto(), ErrorConversion);
    EXPECT_EQ(Valor::nulo().comoTextoONulo(), "");
    EXPECT_TRUE(Valor::decimal(1230, 2) == Valor::decimal(123000, 4));
    EXPECT_FALSE(Valor::texto("1") == Valor::entero(1));
}

TEST(Guion, SeparaSentenciasRespetandoTerminadoresYTextos) {
    const char* guion = R"(
SET SQL DIALECT 3;
-- a comment; with a semicolon
CREATE TABLE T (A VARCHAR(10) DEFAULT 'x;y');  /* block ; comment */
SET TERM ^ ;
CREATE PROCEDURE P RETURNS (ID INTEGER) AS
BEGIN
  ID = 1; SUSPEND;
END^
SET TERM ; ^
COMMIT;
INSERT INTO T VALUES ('it''s; fine');
)";
    auto s = sentenciasDeGuion(guion);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0], "CREATE TABLE T (A VARCHAR(10) DEFAULT 'x;y')");
    EXPECT_NE(s[1].find("ID = 1; SUSPEND;"), std::string::npos);
    EXPECT_EQ(s[2], "INSERT INTO T VALUES ('it''s; fine')");
}
