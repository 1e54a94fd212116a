// Every export format, read back; the save dialog's extension rule.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include "screens/exportar.h"

using namespace screens;

namespace {

const TablaExportada kTabla = {{"Pref", "Mensaje"},
                               {{"FV", "violation of \"PK\", <key>"}, {"R&C", "línea 1\nlínea 2 {x} \\ ñ"}}};

// Reads each format back into rows of cells (titles first).
std::vector<std::vector<std::string>> leerCsv(const std::string& s) {
    std::vector<std::vector<std::string>> r(1);
    std::string celda;
    bool comillas = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (comillas) {
            if (c == '"' && i + 1 < s.size() && s[i + 1] == '"') celda += '"', ++i;
            else if (c == '"') comillas = false;
            else celda += c;
        } else if (c == '"') comillas = true;
        else if (c == ',') r.back().push_back(celda), celda.clear();
        else if (c == '\r') {}
        else if (c == '\n') {
            r.back().push_back(celda), celda.clear();
            r.emplace_back();
        } else celda += c;
    }
    r.pop_back();
    return r;
}

std::vector<std::vector<std::string>> leerMarcado(const std::string& s, const QString& fila, const QString& celda) {
    std::vector<std::vector<std::string>> r;
    QString texto = QString::fromStdString(s);
    QRegularExpression reFila(fila), reCelda(celda);
    auto filas = reFila.globalMatch(texto);
    while (filas.hasNext()) {
        QString f = filas.next().captured(1);
        std::vector<std::string> v;
        auto celdas = reCelda.globalMatch(f);
        while (celdas.hasNext()) {
            QString c = celdas.next().captured(1);
            c.replace("&#10;", "\n").replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
            v.push_back(c.toStdString());
        }
        r.push_back(v);
    }
    return r;
}

std::vector<std::vector<std::string>> leerRtf(const std::string& s) {
    std::vector<std::vector<std::string>> r;
    QString texto = QString::fromStdString(s);
    QRegularExpression reFila("\\\\trowd(.*?)\\\\row", QRegularExpression::DotMatchesEverythingOption);
    QRegularExpression reCelda("\\\\intbl(?:\\\\b)? (.*?)(?:\\\\b0)?\\\\cell", QRegularExpression::DotMatchesEverythingOption);
    auto filas = reFila.globalMatch(texto);
    while (filas.hasNext()) {
        std::vector<std::string> v;
        auto celdas = reCelda.globalMatch(filas.next().captured(1));
        while (celdas.hasNext()) {
            QString c = celdas.next().captured(1), limpio;
            for (int i = 0; i < c.size(); ++i) {
                if (c[i] == '\\' && i + 1 < c.size() && QString("\\{}").contains(c[i + 1])) {
                    limpio += c[++i];
                } else if (c.mid(i, 6) == "\\line ") {
                    limpio += '\n';
                    i += 5;
                } else if (c.mid(i, 2) == "\\u") {
                    int fin = c.indexOf('?', i);
                    limpio += QChar(static_cast<char16_t>(c.mid(i + 2, fin - i - 2).toShort()));
                    i = fin;
                } else {
                    limpio += c[i];
                }
            }
            v.push_back(limpio.toStdString());
        }
        r.push_back(v);
    }
    return r;
}

}  // namespace

TEST(Exportar, CadaFormatoSeLeeDeVuelta) {
    std::vector<std::vector<std::string>> esperado = {kTabla.titulos};
    for (const auto& f : kTabla.filas) esperado.push_back(f);

    EXPECT_EQ(leerCsv(exportarCsv(kTabla)), esperado);
    EXPECT_EQ(leerMarcado(exportarHtml(kTabla), "<tr>(.*?)</tr>", "<t[hd]>(.*?)</t[hd]>"), esperado);
    EXPECT_EQ(leerMarcado(exportarExcel(kTabla), "<Row>(.*?)</Row>", "<Data ss:Type=\"String\">(.*?)</Data>"), esperado);
    EXPECT_EQ(leerRtf(exportarRtf(kTabla)), esperado);
    EXPECT_EQ(exportarRtf(kTabla).rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(exportarExcel(kTabla).find("urn:schemas-microsoft-com:office:spreadsheet"), std::string::npos);

    // Plain text: tab-separated lines; a line break inside a cell becomes a blank.
    QStringList lineas = QString::fromStdString(exportarTexto(kTabla)).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lineas.size(), 3);
    EXPECT_EQ(lineas[0], "Pref\tMensaje");
    EXPECT_EQ(lineas[2], QString::fromUtf8("R&C\tlínea 1 línea 2 {x} \\ ñ"));
    EXPECT_EQ(textoPortapapeles(kTabla).find("Pref"), std::string::npos) << "el portapapeles lleva solo filas";
}

TEST(Exportar, ExtensionSegunElFiltroElegido) {
    struct Caso {
        const char* nombre;
        int filtro;
        const char* resultado;
    };
    const Caso casos[] = {
        {"errores", 2, "errores.csv"},     {"errores.csv", 2, "errores.csv"}, {"listacsv", 2, "listacsv"},
        {"ERRORES.CSV", 2, "ERRORES.CSV"}, {"errores.csv", 1, "errores.csv.txt"}, {"datos", 3, "datos.htm"},
        {"hoja", 5, "hoja.xls"},           {"x", 0, ""},                        {"x", 6, ""},
    };
    for (const Caso& c : casos) EXPECT_EQ(nombreConExtension(c.nombre, c.filtro), c.resultado) << c.nombre << " " << c.filtro;
    EXPECT_EQ(filtrosGuardar().size(), 5u);
    EXPECT_EQ(std::string(kFiltrosGuardar),
              "Text files (*.txt)|*.TXT|Comma separated values (*.csv)|*.CSV|HTML file (*.htm)|*.HTM|Rich Text Format "
              "(*.rtf)|*.RTF|Microsoft Excel Workbook (*.xls)|*.XLS");
}
