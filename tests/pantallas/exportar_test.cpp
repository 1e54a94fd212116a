// Every export format written to a file and read back; the save dialog's
// extension rule.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
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

using Celdas = std::vector<std::vector<std::string>>;

// The workbook through a real XML parser: a file that is not well formed
// fails here as it would in a spreadsheet.
Celdas leerExcel(const std::string& s) {
    const QString ns = "urn:schemas-microsoft-com:office:spreadsheet";
    Celdas r;
    QXmlStreamReader xml(QByteArray::fromStdString(s));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"Workbook") {
            EXPECT_EQ(xml.namespaceUri(), ns);
        }
        if (xml.name() == u"Row") r.emplace_back();
        if (xml.name() == u"Data") {
            EXPECT_EQ(xml.attributes().value(ns, "Type"), u"String");
            r.back().push_back(xml.readElementText().toStdString());
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return r;
}

std::string leerArchivo(const std::string& ruta) {
    std::ifstream in(ruta, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The byte order mark the text formats start with, taken off for reading.
std::string sinMarca(const std::string& s, bool debeTenerla) {
    const bool tiene = s.rfind("\xEF\xBB\xBF", 0) == 0;
    EXPECT_EQ(tiene, debeTenerla);
    return tiene ? s.substr(3) : s;
}

Celdas leerTexto(const std::string& s) {
    Celdas r;
    for (const QString& linea : QString::fromStdString(sinMarca(s, true)).split("\r\n", Qt::SkipEmptyParts)) {
        std::vector<std::string> v;
        for (const QString& c : linea.split('\t')) v.push_back(c.toStdString());
        r.push_back(v);
    }
    return r;
}

}  // namespace

TEST(Exportar, CadaFormatoEscritoEnArchivoSeLeeDeVuelta) {
    Celdas esperado = {kTabla.titulos};
    for (const auto& f : kTabla.filas) esperado.push_back(f);
    // Plain text cannot hold a line break or a tab inside a cell: blanks.
    Celdas esperadoTexto = esperado;
    esperadoTexto[2][1] = "línea 1 línea 2 {x} \\ ñ";

    struct Caso {
        FormatoExportacion formato;
        const char* extension;
        std::function<Celdas(const std::string&)> leer;
        const Celdas& esperado;
        const char* comienzo;  // what a reader recognises the format by
    };
    const Caso casos[] = {
        {FormatoExportacion::Texto, "txt", leerTexto, esperadoTexto, "\xEF\xBB\xBFPref\t"},
        {FormatoExportacion::Csv, "csv", [](const std::string& s) { return leerCsv(sinMarca(s, true)); }, esperado,
         "\xEF\xBB\xBFPref,"},
        {FormatoExportacion::Html, "htm",
         [](const std::string& s) { return leerMarcado(s, "<tr>(.*?)</tr>", "<t[hd]>(.*?)</t[hd]>"); }, esperado,
         "<!DOCTYPE html>"},
        {FormatoExportacion::Rtf, "rtf", leerRtf, esperado, "{\\rtf1"},
        {FormatoExportacion::Excel, "xls", leerExcel, esperado, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<?mso-application progid=\"Excel.Sheet\"?>"},
    };
    QTemporaryDir carpeta;
    ASSERT_TRUE(carpeta.isValid());
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.extension);
        const std::string ruta = carpeta.filePath(QString("lista.") + c.extension).toStdString();
        exportarArchivo(kTabla, c.formato, ruta);
        const std::string contenido = leerArchivo(ruta);
        EXPECT_EQ(contenido.rfind(c.comienzo, 0), 0u) << contenido.substr(0, 60);
        EXPECT_EQ(c.leer(contenido), c.esperado);
        // Written again with fewer rows, the file holds only the new export.
        exportarArchivo({kTabla.titulos, {}}, c.formato, ruta);
        EXPECT_EQ(c.leer(leerArchivo(ruta)), Celdas{kTabla.titulos});
    }
    EXPECT_EQ(textoPortapapeles(kTabla).find("Pref"), std::string::npos) << "el portapapeles lleva solo filas";
    EXPECT_EQ(textoPortapapeles(kTabla).rfind("FV\t", 0), 0u) << "y sin marca de orden de bytes";

    EXPECT_THROW(exportarArchivo(kTabla, FormatoExportacion::Csv, carpeta.filePath("no/existe.csv").toStdString()),
                 std::runtime_error);
}

TEST(Exportar, CaracteresDeControlNoRompenElXml) {
    const TablaExportada t = {{"Mensaje"}, {{std::string("antes\x01\x1f despu\xc3\xa9s\tfin")}}};
    EXPECT_EQ(leerExcel(exportarExcel(t)), (Celdas{{"Mensaje"}, {"antes despu\xc3\xa9s\tfin"}}));
    EXPECT_EQ(exportarHtml(t).find('\x01'), std::string::npos);
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
