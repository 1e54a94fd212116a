#include "db/valor.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "db/errores.h"

namespace db {

namespace {

const int64_t kPotencias[] = {1,
                              10,
                              100,
                              1000,
                              10000,
                              100000,
                              1000000,
                              10000000,
                              100000000,
                              1000000000,
                              10000000000LL,
                              100000000000LL,
                              1000000000000LL,
                              10000000000000LL,
                              100000000000000LL,
                              1000000000000000LL,
                              10000000000000000LL,
                              100000000000000000LL,
                              1000000000000000000LL};

int64_t potencia(int n) {
    if (n < 0 || n > 18) throw ErrorConversion("Escala decimal fuera de rango: " + std::to_string(n));
    return kPotencias[n];
}

const char* nombreTipo(TipoValor t) {
    switch (t) {
        case TipoValor::Nulo: return "NULL";
        case TipoValor::Entero: return "entero";
        case TipoValor::Decimal: return "decimal";
        case TipoValor::Flotante: return "flotante";
        case TipoValor::Texto: return "texto";
        case TipoValor::Fecha: return "fecha";
        case TipoValor::Hora: return "hora";
        case TipoValor::MarcaTiempo: return "marca de tiempo";
        case TipoValor::BlobTexto: return "blob de texto";
        case TipoValor::BlobBinario: return "blob binario";
        case TipoValor::Booleano: return "booleano";
    }
    return "?";
}

[[noreturn]] void noConvertible(const Valor& v, const char* destino) {
    std::string texto;
    if (v.tipo() == TipoValor::Texto) texto = " '" + v.bytes() + "'";
    throw ErrorConversion(std::string("No se puede convertir el valor ") + nombreTipo(v.tipo()) + texto + " a " +
                          destino);
}

}  // namespace

Valor Valor::entero(int64_t v) {
    Valor r;
    r.tipo_ = TipoValor::Entero;
    r.entero_ = v;
    return r;
}

Valor Valor::decimal(int64_t escalado, int decimales) {
    potencia(decimales);
    Valor r;
    r.tipo_ = TipoValor::Decimal;
    r.entero_ = escalado;
    r.decimales_ = decimales;
    return r;
}

Valor Valor::flotante(double v) {
    Valor r;
    r.tipo_ = TipoValor::Flotante;
    r.flotante_ = v;
    return r;
}

Valor Valor::texto(std::string bytes) {
    Valor r;
    r.tipo_ = TipoValor::Texto;
    r.bytes_ = std::move(bytes);
    return r;
}

Valor Valor::fecha(Fecha f) {
    Valor r;
    r.tipo_ = TipoValor::Fecha;
    r.fecha_ = f;
    return r;
}

Valor Valor::hora(Hora h) {
    Valor r;
    r.tipo_ = TipoValor::Hora;
    r.hora_ = h;
    return r;
}

Valor Valor::marcaTiempo(Fecha f, Hora h) {
    Valor r;
    r.tipo_ = TipoValor::MarcaTiempo;
    r.fecha_ = f;
    r.hora_ = h;
    return r;
}

Valor Valor::blobTexto(std::string bytes) {
    Valor r;
    r.tipo_ = TipoValor::BlobTexto;
    r.bytes_ = std::move(bytes);
    return r;
}

Valor Valor::blobBinario(std::string bytes) {
    Valor r;
    r.tipo_ = TipoValor::BlobBinario;
    r.bytes_ = std::move(bytes);
    return r;
}

Valor Valor::booleano(bool v) {
    Valor r;
    r.tipo_ = TipoValor::Booleano;
    r.entero_ = v ? 1 : 0;
    return r;
}

int64_t Valor::escalado() const {
    if (tipo_ == TipoValor::Entero || tipo_ == TipoValor::Decimal || tipo_ == TipoValor::Booleano) return entero_;
    noConvertible(*this, "número exacto");
}

double Valor::flotanteExacto() const {
    if (tipo_ != TipoValor::Flotante) noConvertible(*this, "flotante");
    return flotante_;
}

const std::string& Valor::bytes() const {
    if (tipo_ != TipoValor::Texto && !esBlob()) noConvertible(*this, "texto");
    return bytes_;
}

Fecha Valor::fechaValor() const {
    if (tipo_ != TipoValor::Fecha && tipo_ != TipoValor::MarcaTiempo) noConvertible(*this, "fecha");
    return fecha_;
}

Hora Valor::horaValor() const {
    if (tipo_ != TipoValor::Hora && tipo_ != TipoValor::MarcaTiempo) noConvertible(*this, "hora");
    return hora_;
}

int64_t Valor::comoEntero() const { return comoDecimal(0); }

int64_t Valor::comoDecimal(int decimales) const {
    switch (tipo_) {
        case TipoValor::Entero:
        case TipoValor::Booleano: return reescalar(entero_, 0, decimales);
        case TipoValor::Decimal: return reescalar(entero_, decimales_, decimales);
        case TipoValor::Flotante: {
            double escalado = std::round(flotante_ * static_cast<double>(potencia(decimales)));
            if (!std::isfinite(escalado) || std::fabs(escalado) >= 9.2e18) noConvertible(*this, "decimal");
            return static_cast<int64_t>(escalado);
        }
        case TipoValor::Texto:
        case TipoValor::BlobTexto: return decimalDeTexto(bytes_, decimales);
        default: noConvertible(*this, "número");
    }
}

double Valor::comoFlotante() const {
    switch (tipo_) {
        case TipoValor::Flotante: return flotante_;
        case TipoValor::Entero:
        case TipoValor::Booleano: return static_cast<double>(entero_);
        case TipoValor::Decimal: return static_cast<double>(entero_) / static_cast<double>(potencia(decimales_));
        case TipoValor::Texto: {
            const std::string& t = bytes_;
            char* fin = nullptr;
            double d = std::strtod(t.c_str(), &fin);
            while (fin && *fin == ' ') ++fin;
            if (t.empty() || !fin || *fin != '\0') noConvertible(*this, "flotante");
            return d;
        }
        default: noConvertible(*this, "flotante");
    }
}

std::string Valor::comoTexto() const {
    switch (tipo_) {
        case TipoValor::Nulo: noConvertible(*this, "texto");
        case TipoValor::Entero: return std::to_string(entero_);
        case TipoValor::Decimal: return textoDecimal(entero_, decimales_);
        case TipoValor::Flotante: {
            char b[64];
            std::snprintf(b, sizeof b, "%.15g", flotante_);
            return b;
        }
        case TipoValor::Texto:
        case TipoValor::BlobTexto:
        case TipoValor::BlobBinario: return bytes_;
        case TipoValor::Fecha: return textoFecha(fecha_);
        case TipoValor::Hora: return textoHora(hora_);
        case TipoValor::MarcaTiempo: return textoFecha(fecha_) + " " + textoHora(hora_);
        case TipoValor::Booleano: return entero_ ? "TRUE" : "FALSE";
    }
    return {};
}

bool Valor::operator==(const Valor& o) const {
    if (tipo_ == TipoValor::Decimal || o.tipo_ == TipoValor::Decimal) {
        bool numericos = (tipo_ == TipoValor::Decimal || tipo_ == TipoValor::Entero) &&
                         (o.tipo_ == TipoValor::Decimal || o.tipo_ == TipoValor::Entero);
        if (!numericos) return false;
        int d = std::max(decimales_, o.decimales_);
        try {
            return comoDecimal(d) == o.comoDecimal(d);
        } catch (const ErrorConversion&) {
            return false;
        }
    }
    if (tipo_ != o.tipo_) return false;
    switch (tipo_) {
        case TipoValor::Nulo: return true;
        case TipoValor::Entero:
        case TipoValor::Booleano: return entero_ == o.entero_;
        case TipoValor::Flotante: return flotante_ == o.flotante_;
        case TipoValor::Texto:
        case TipoValor::BlobTexto:
        case TipoValor::BlobBinario: return bytes_ == o.bytes_;
        case TipoValor::Fecha: return fecha_ == o.fecha_;
        case TipoValor::Hora: return hora_ == o.hora_;
        case TipoValor::MarcaTiempo: return fecha_ == o.fecha_ && hora_ == o.hora_;
        default: return false;
    }
}

int64_t reescalar(int64_t v, int de, int a) {
    if (de == a) return v;
    if (a > de) {
        int64_t f = potencia(a - de);
        if (v > std::numeric_limits<int64_t>::max() / f || v < std::numeric_limits<int64_t>::min() / f)
            throw ErrorConversion("Desbordamiento al escalar el decimal " + textoDecimal(v, de));
        return v * f;
    }
    int64_t f = potencia(de - a);
    int64_t q = v / f, r = v % f;
    // Half away from zero: |r| >= f/2 rounds the magnitude up.
    if (r != 0 && (r < 0 ? -r : r) * 2 >= f) q += (v < 0 ? -1 : 1);
    return q;
}

int64_t decimalDeTexto(const std::string& texto, int decimales) {
    size_t i = 0, n = texto.size();
    while (i < n && texto[i] == ' ') ++i;
    while (n > i && texto[n - 1] == ' ') --n;
    bool negativo = false;
    if (i < n && (texto[i] == '-' || texto[i] == '+')) negativo = texto[i++] == '-';
    int64_t entero = 0;
    int digitos = 0, frac = 0;
    bool punto = false;
    int64_t fraccion = 0;
    int siguiente = -1;  // first dropped fractional digit, for rounding
    for (; i < n; ++i) {
        char c = texto[i];
        if (c == '.' && !punto) {
            punto = true;
            continue;
        }
        if (c < '0' || c > '9') throw ErrorConversion("El texto '" + texto + "' no es un número");
        ++digitos;
        if (!punto) {
            if (entero > (std::numeric_limits<int64_t>::max() - 9) / 10)
                throw ErrorConversion("El número '" + texto + "' es demasiado grande");
            entero = entero * 10 + (c - '0');
        } else if (frac < decimales) {
            fraccion = fraccion * 10 + (c - '0');
            ++frac;
        } else if (siguiente < 0) {
            siguiente = c - '0';
        }
    }
    if (digitos == 0) throw ErrorConversion("El texto '" + texto + "' no es un número");
    while (frac < decimales) {
        fraccion *= 10;
        ++frac;
    }
    int64_t r = reescalar(entero, 0, decimales) + fraccion;
    if (siguiente >= 5) ++r;
    return negativo ? -r : r;
}

std::string textoDecimal(int64_t v, int decimales) {
    if (decimales == 0) return std::to_string(v);
    int64_t f = potencia(decimales);
    uint64_t mag = v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v);
    std::string frac = std::to_string(mag % uint64_t(f));
    frac.insert(0, decimales - frac.size(), '0');
    return (v < 0 ? "-" : "") + std::to_string(mag / uint64_t(f)) + "." + frac;
}

std::string textoFecha(const Fecha& f) {
    char b[32];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d", f.anio, f.mes, f.dia);
    return b;
}

std::string textoHora(const Hora& h) {
    char b[32];
    if (h.diezmilesimas)
        std::snprintf(b, sizeof b, "%02d:%02d:%02d.%04d", h.hora, h.minuto, h.segundo, h.diezmilesimas);
    else
        std::snprintf(b, sizeof b, "%02d:%02d:%02d", h.hora, h.minuto, h.segundo);
    return b;
}

}  // namespace db
