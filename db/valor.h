// Values as they travel between company databases. Texts are byte strings
// with no character set: what one database holds arrives unchanged in the
// other. Exact decimals are scaled integers and never pass through floating
// point.
#pragma once

#include <cstdint>
#include <string>

namespace db {

enum class TipoValor {
    Nulo,
    Entero,       // SMALLINT, INTEGER, BIGINT
    Decimal,      // NUMERIC, DECIMAL: entero escalado + decimales
    Flotante,     // FLOAT, DOUBLE PRECISION
    Texto,        // CHAR (blancos finales incluidos) y VARCHAR
    Fecha,
    Hora,
    MarcaTiempo,
    BlobTexto,
    BlobBinario,
    Booleano,
};

struct Fecha {
    int anio = 0, mes = 0, dia = 0;
    bool operator==(const Fecha&) const = default;
};

struct Hora {
    int hora = 0, minuto = 0, segundo = 0;
    int diezmilesimas = 0;  // resolución del servidor
    bool operator==(const Hora&) const = default;
};

class Valor {
public:
    Valor() = default;  // NULL

    static Valor nulo() { return {}; }
    static Valor entero(int64_t v);
    // `escalado` es el valor por 10^decimales (12.3457 con 4 decimales: 123457).
    static Valor decimal(int64_t escalado, int decimales);
    static Valor flotante(double v);
    static Valor texto(std::string bytes);
    static Valor fecha(Fecha f);
    static Valor hora(Hora h);
    static Valor marcaTiempo(Fecha f, Hora h);
    static Valor blobTexto(std::string bytes);
    static Valor blobBinario(std::string bytes);
    static Valor booleano(bool v);

    TipoValor tipo() const { return tipo_; }
    bool esNulo() const { return tipo_ == TipoValor::Nulo; }
    bool esBlob() const { return tipo_ == TipoValor::BlobTexto || tipo_ == TipoValor::BlobBinario; }

    // Acceso exacto; lanza ErrorConversion cuando el tipo no corresponde.
    int64_t escalado() const;   // Entero, Decimal, Booleano
    int decimales() const { return decimales_; }
    double flotanteExacto() const;
    const std::string& bytes() const;  // Texto y blobs
    Fecha fechaValor() const;          // Fecha, MarcaTiempo
    Hora horaValor() const;            // Hora, MarcaTiempo

    // Conversiones con las reglas de la base de datos; un NULL, un texto que
    // no es número, etc. lanzan ErrorConversion con el valor en el mensaje.
    int64_t comoEntero() const;                   // decimales redondeados
    int64_t comoDecimal(int decimales) const;     // redondeo lejos de cero
    double comoFlotante() const;
    // Texto de la base de datos: números con punto decimal, fechas ISO
    // (AAAA-MM-DD, HH:MM:SS). Un NULL lanza ErrorConversion.
    std::string comoTexto() const;
    // Igual que comoTexto, pero un NULL da el texto vacío.
    std::string comoTextoONulo() const { return esNulo() ? std::string() : comoTexto(); }

    // Igualdad de contenido (12.30 con 2 decimales == 12.3000 con 4).
    bool operator==(const Valor& otro) const;

private:
    TipoValor tipo_ = TipoValor::Nulo;
    int64_t entero_ = 0;
    int decimales_ = 0;
    double flotante_ = 0;
    std::string bytes_;
    Fecha fecha_;
    Hora hora_;
};

// Cambia la escala de un decimal redondeando a la mitad lejos de cero.
// Lanza ErrorConversion si el resultado no cabe en 64 bits.
int64_t reescalar(int64_t escalado, int de, int a);

// Lee un número decimal en texto ("-12.345", "7") con `decimales` decimales.
// Lanza ErrorConversion si el texto no es un número.
int64_t decimalDeTexto(const std::string& texto, int decimales);

std::string textoDecimal(int64_t escalado, int decimales);
std::string textoFecha(const Fecha& f);
std::string textoHora(const Hora& h);

}  // namespace db
