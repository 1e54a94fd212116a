#include "screens/exportar.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace screens {

const char* const kFiltrosGuardar =
    "Text files (*.txt)|*.TXT|Comma separated values (*.csv)|*.CSV|HTML file (*.htm)|*.HTM|Rich Text Format "
    "(*.rtf)|*.RTF|Microsoft Excel Workbook (*.xls)|*.XLS";

namespace {

const char* const kExtensiones[] = {"txt", "csv", "htm", "rtf", "xls"};

std::string mayusculas(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string escaparXml(const std::string& s) {
    std::string r;
    for (char c : s) {
        switch (c) {
            case '&': r += "&amp;"; break;
            case '<': r += "&lt;"; break;
            case '>': r += "&gt;"; break;
            case '"': r += "&quot;"; break;
            case '\r': break;
            case '\n': r += "&#10;"; break;
            case '\t': r += c; break;
            default:
                // Other control characters are not allowed in XML at all.
                if (static_cast<unsigned char>(c) >= 0x20) r += c;
        }
    }
    return r;
}

// Decodes one UTF-8 sequence; invalid bytes stand for themselves (Latin-1).
unsigned siguienteCodigo(const std::string& s, size_t& i) {
    auto b = static_cast<unsigned char>(s[i++]);
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra > s.size() + 0) return b;
    unsigned cp = b & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return b;
        cp = (cp << 6) | (c & 0x3F);
    }
    i += extra;
    return cp;
}

std::string escaparRtf(const std::string& s) {
    std::string r;
    for (size_t i = 0; i < s.size();) {
        unsigned cp = siguienteCodigo(s, i);
        if (cp == '\\' || cp == '{' || cp == '}') {
            r += '\\';
            r += static_cast<char>(cp);
        } else if (cp == '\n') {
            r += "\\line ";
        } else if (cp == '\r') {
        } else if (cp < 0x80) {
            r += static_cast<char>(cp);
        } else if (cp <= 0xFFFF) {
            r += "\\u" + std::to_string(static_cast<int16_t>(cp)) + "?";
        } else {
            cp -= 0x10000;  // a surrogate pair, as RTF readers expect
            r += "\\u" + std::to_string(static_cast<int16_t>(0xD800 + (cp >> 10))) + "?";
            r += "\\u" + std::to_string(static_cast<int16_t>(0xDC00 + (cp & 0x3FF))) + "?";
        }
    }
    return r;
}

std::string campoCsv(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string r = "\"";
    for (char c : s) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

std::string sinTabulaciones(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return r;
}

std::string conSeparador(const TablaExportada& t, bool titulos, std::string (*campo)(const std::string&),
                         const char* separador) {
    std::string r;
    auto linea = [&](const std::vector<std::string>& v) {
        for (size_t i = 0; i < v.size(); ++i) r += (i ? separador : "") + campo(v[i]);
        r += "\r\n";
    };
    if (titulos) linea(t.titulos);
    for (const auto& f : t.filas) linea(f);
    return r;
}

}  // namespace

std::vector<std::string> filtrosGuardar() {
    return {"Text files (*.txt)", "Comma separated values (*.csv)", "HTML file (*.htm)", "Rich Text Format (*.rtf)",
            "Microsoft Excel Workbook (*.xls)"};
}

std::string nombreConExtension(const std::string& nombre, int indiceFiltro) {
    if (indiceFiltro < 1 || indiceFiltro > 5) return {};
    const std::string ext = kExtensiones[indiceFiltro - 1];
    std::string ultimos = nombre.size() >= 3 ? nombre.substr(nombre.size() - 3) : nombre;
    return mayusculas(ultimos) == mayusculas(ext) ? nombre : nombre + "." + ext;
}

// Spreadsheets and editors take a file without a byte order mark for the
// Windows code page; with it they read the accents right.
const char* const kMarcaUtf8 = "\xEF\xBB\xBF";

std::string exportarTexto(const TablaExportada& t) { return kMarcaUtf8 + conSeparador(t, true, sinTabulaciones, "\t"); }
std::string exportarCsv(const TablaExportada& t) { return kMarcaUtf8 + conSeparador(t, true, campoCsv, ","); }
std::string textoPortapapeles(const TablaExportada& t) { return conSeparador(t, false, sinTabulaciones, "\t"); }

std::string exportarHtml(const TablaExportada& t) {
    std::string r = "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"></head><body>\r\n<table border=\"1\">\r\n<tr>";
    for (const auto& c : t.titulos) r += "<th>" + escaparXml(c) + "</th>";
    r += "</tr>\r\n";
    for (const auto& f : t.filas) {
        r += "<tr>";
        for (const auto& c : f) r += "<td>" + escaparXml(c) + "</td>";
        r += "</tr>\r\n";
    }
    return r + "</table>\r\n</body></html>\r\n";
}

std::string exportarRtf(const TablaExportada& t) {
    std::string r = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs18\r\n";
    auto fila = [&](const std::vector<std::string>& v, bool negrita) {
        r += "\\trowd\\trgaph60";
        for (size_t i = 0; i < v.size(); ++i) r += "\\cellx" + std::to_string(1800 * (i + 1));
        r += "\r\n";
        for (const auto& c : v) r += std::string("\\pard\\intbl") + (negrita ? "\\b " : " ") + escaparRtf(c) + (negrita ? "\\b0" : "") + "\\cell\r\n";
        r += "\\row\r\n";
    };
    fila(t.titulos, true);
    for (const auto& f : t.filas) fila(f, false);
    return r + "}\r\n";
}

std::string exportarExcel(const TablaExportada& t) {
    std::string r =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<?mso-application progid=\"Excel.Sheet\"?>\r\n"
        "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
        "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\r\n"
        "<Worksheet ss:Name=\"Hoja1\"><Table>\r\n";
    auto fila = [&](const std::vector<std::string>& v) {
        r += "<Row>";
        for (const auto& c : v) r += "<Cell><Data ss:Type=\"String\">" + escaparXml(c) + "</Data></Cell>";
        r += "</Row>\r\n";
    };
    fila(t.titulos);
    for (const auto& f : t.filas) fila(f);
    return r + "</Table></Worksheet>\r\n</Workbook>\r\n";
}

std::string exportar(const TablaExportada& t, FormatoExportacion formato) {
    switch (formato) {
        case FormatoExportacion::Texto: return exportarTexto(t);
        case FormatoExportacion::Csv: return exportarCsv(t);
        case FormatoExportacion::Html: return exportarHtml(t);
        case FormatoExportacion::Rtf: return exportarRtf(t);
        case FormatoExportacion::Excel: return exportarExcel(t);
    }
    return {};
}

void exportarArchivo(const TablaExportada& t, FormatoExportacion formato, const std::string& ruta) {
    std::ofstream out(ruta, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("No se pudo escribir el archivo " + ruta);
    out << exportar(t, formato);
    if (!out.flush()) throw std::runtime_error("No se pudo escribir el archivo " + ruta);
}

}  // namespace screens
