// Writers for what a grid exports: the selected rows as plain text, CSV,
// HTML, RTF or a spreadsheet workbook. Plain C++: the grid hands the texts
// over, tests read the files back without a window.
#pragma once

#include <string>
#include <vector>

namespace screens {

struct TablaExportada {
    std::vector<std::string> titulos;
    std::vector<std::vector<std::string>> filas;  // UTF-8 texts, one per column
};

enum class FormatoExportacion { Texto = 1, Csv = 2, Html = 3, Rtf = 4, Excel = 5 };

// The save dialog's filter list, in the order of FormatoExportacion.
extern const char* const kFiltrosGuardar;
// Qt's form of the same list (one "Description (*.ext)" per entry).
std::vector<std::string> filtrosGuardar();

// The file name for the chosen filter (1-based): the extension is appended
// with a dot unless the name's last three characters already are it
// (compared in upper case). Empty for a filter index outside 1 to 5.
std::string nombreConExtension(const std::string& nombre, int indiceFiltro);

// Texts are UTF-8; the plain text and CSV files start with its byte order mark.
std::string exportarTexto(const TablaExportada& t);  // tab-separated, CR LF
std::string exportarCsv(const TablaExportada& t);    // RFC 4180, CR LF
std::string exportarHtml(const TablaExportada& t);
std::string exportarRtf(const TablaExportada& t);
// XML Spreadsheet 2003 workbook: one sheet, a title row, texts as strings.
std::string exportarExcel(const TablaExportada& t);

std::string exportar(const TablaExportada& t, FormatoExportacion formato);
// Writes the export to `ruta`; throws std::runtime_error naming the file.
void exportarArchivo(const TablaExportada& t, FormatoExportacion formato, const std::string& ruta);

// Tab-separated rows (no titles) for the clipboard.
std::string textoPortapapeles(const TablaExportada& t);

}  // namespace screens
