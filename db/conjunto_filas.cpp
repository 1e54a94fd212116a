#include "db/conjunto_filas.h"

#include <ibase.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>

#include "db/errores.h"

namespace db {

namespace {

bool igualesSinMayusculas(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

// Identifiers come from the database's own metadata; quoting them keeps
// mixed-case or reserved names working.
std::string identificador(const std::string& nombre) {
    std::string r = "\"";
    for (char c : nombre) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

bool leerFecha(const std::string& t, Fecha& f, size_t& fin) {
    int a, m, d, n = 0;
    if (std::sscanf(t.c_str(), "%4d-%2d-%2d%n", &a, &m, &d, &n) != 3) return false;
    f = {a, m, d};
    fin = static_cast<size_t>(n);
    return m >= 1 && m <= 12 && d >= 1 && d <= 31;
}

bool leerHora(const std::string& t, Hora& h) {
    int hh, mm, ss = 0, n = 0;
    if (std::sscanf(t.c_str(), "%2d:%2d:%2d%n", &hh, &mm, &ss, &n) < 2) return false;
    h = {hh, mm, ss, 0};
    if (n > 0 && static_cast<size_t>(n) < t.size() && t[n] == '.') {
        std::string frac = t.substr(n + 1, 4);
        frac.resize(4, '0');
        h.diezmilesimas = std::atoi(frac.c_str());
    }
    return hh < 24 && mm < 60 && ss < 60;
}

}  // namespace

bool Columna::esDecimalExacto() const {
    bool entero = tipoSql == SQL_SHORT || tipoSql == SQL_LONG || tipoSql == SQL_INT64;
    return entero && (escala < 0 || subtipo == 1 || subtipo == 2);
}

bool Columna::esBlob() const { return tipoSql == SQL_BLOB; }

Valor convertirParaColumna(const Valor& v, const Columna& c) {
    if (v.esNulo()) return v;
    switch (c.tipoSql) {
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            if (c.esDecimalExacto()) return Valor::decimal(v.comoDecimal(-c.escala), -c.escala);
            return Valor::entero(v.comoEntero());
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT: return Valor::flotante(v.comoFlotante());
        case SQL_TEXT:
        case SQL_VARYING:
            if (v.tipo() == TipoValor::Texto) return v;
            return Valor::texto(v.comoTexto());
        case SQL_TYPE_DATE:
            if (v.tipo() == TipoValor::Fecha) return v;
            if (v.tipo() == TipoValor::MarcaTiempo) return Valor::fecha(v.fechaValor());
            if (v.tipo() == TipoValor::Texto) {
                Fecha f;
                size_t fin;
                if (leerFecha(v.bytes(), f, fin)) return Valor::fecha(f);
            }
            break;
        case SQL_TYPE_TIME:
            if (v.tipo() == TipoValor::Hora) return v;
            if (v.tipo() == TipoValor::MarcaTiempo) return Valor::hora(v.horaValor());
            if (v.tipo() == TipoValor::Texto) {
                Hora h;
                if (leerHora(v.bytes(), h)) return Valor::hora(h);
            }
            break;
        case SQL_TIMESTAMP:
            if (v.tipo() == TipoValor::MarcaTiempo) return v;
            if (v.tipo() == TipoValor::Fecha) return Valor::marcaTiempo(v.fechaValor(), {});
            if (v.tipo() == TipoValor::Texto) {
                Fecha f;
                size_t fin;
                Hora h;
                const std::string& t = v.bytes();
                if (leerFecha(t, f, fin)) {
                    if (fin >= t.size()) return Valor::marcaTiempo(f, {});
                    if ((t[fin] == ' ' || t[fin] == 'T') && leerHora(t.substr(fin + 1), h))
                        return Valor::marcaTiempo(f, h);
                }
            }
            break;
        case SQL_BLOB:
            if (v.esBlob()) return c.subtipo == 1 ? Valor::blobTexto(v.bytes()) : Valor::blobBinario(v.bytes());
            return c.subtipo == 1 ? Valor::blobTexto(v.comoTexto()) : Valor::blobBinario(v.comoTexto());
        case SQL_BOOLEAN:
            if (v.tipo() == TipoValor::Booleano) return v;
            if (v.tipo() == TipoValor::Entero) return Valor::booleano(v.escalado() != 0);
            break;
        default: return v;
    }
    std::string muestra = v.tipo() == TipoValor::Texto ? " '" + v.bytes() + "'" : "";
    throw ErrorConversion("El valor" + muestra + " no se puede poner en la columna " + c.nombreVisible());
}

Fila::Fila(size_t columnas, EstadoFila estado) : actuales_(columnas), originales_(columnas), estado_(estado) {}

ConjuntoFilas::ConjuntoFilas(std::vector<Columna> columnas, Conexion* conexion)
    : columnas_(std::move(columnas)), conexion_(conexion) {
    if (!columnas_.empty()) tabla_ = columnas_[0].relacion;
}

size_t ConjuntoFilas::indice(const std::string& nombre) const {
    for (size_t i = 0; i < columnas_.size(); ++i)
        if (igualesSinMayusculas(columnas_[i].nombre, nombre)) return i;
    for (size_t i = 0; i < columnas_.size(); ++i)
        if (igualesSinMayusculas(columnas_[i].alias, nombre)) return i;
    throw std::out_of_range("La columna " + nombre + " no existe en " + (tabla_.empty() ? "el resultado" : tabla_));
}

void ConjuntoFilas::fijarEtiqueta(const std::string& columna, std::string etiqueta) {
    columnas_[indice(columna)].etiqueta = std::move(etiqueta);
}

size_t ConjuntoFilas::agregar() {
    filas_.emplace_back(columnas_.size(), EstadoFila::Insertada);
    return filas_.size() - 1;
}

void ConjuntoFilas::asignar(size_t fila, size_t columna, const Valor& v) {
    Fila& f = filas_.at(fila);
    if (columna >= columnas_.size())
        throw std::out_of_range("La columna " + std::to_string(columna) + " no existe en " + tabla_);
    f.actuales_[columna] = convertirParaColumna(v, columnas_[columna]);
    if (f.estado_ == EstadoFila::SinCambios || f.estado_ == EstadoFila::Aplicada) f.estado_ = EstadoFila::Modificada;
}

void ConjuntoFilas::marcarBorrada(size_t fila) {
    Fila& f = filas_.at(fila);
    // A row that never reached the database has nothing to delete there.
    if (f.estado_ == EstadoFila::Insertada) {
        filas_.erase(filas_.begin() + static_cast<long>(fila));
        return;
    }
    f.actuales_ = f.originales_;
    f.estado_ = EstadoFila::Borrada;
}

void ConjuntoFilas::revertir(size_t fila) {
    Fila& f = filas_.at(fila);
    if (f.estado_ == EstadoFila::Insertada) {
        quitar(fila);
        return;
    }
    f.actuales_ = f.originales_;
    if (f.estado_ != EstadoFila::Aplicada) f.estado_ = EstadoFila::SinCambios;
}

void ConjuntoFilas::quitar(size_t fila) { filas_.erase(filas_.begin() + static_cast<long>(fila)); }

void ConjuntoFilas::verificarPosteo(const Fila& f) const {
    for (size_t i = 0; i < columnas_.size(); ++i) {
        if (!columnas_[i].anulable && f.actuales_[i].esNulo()) {
            char mensaje[512];
            std::snprintf(mensaje, sizeof mensaje, "Field '%s' must have a value", columnas_[i].nombreVisible().c_str());
            if (captura_.alFallarPosteo) captura_.alFallarPosteo(mensaje);
            throw AbortoSilencioso(mensaje);
        }
    }
}

int ConjuntoFilas::rechazar(const std::string& mensaje) const {
    if (captura_.alRechazar) captura_.alRechazar(mensaje);
    return 1;
}

int ConjuntoFilas::aplicar(size_t indiceFila) {
    Fila& f = filas_.at(indiceFila);
    if (f.estado_ == EstadoFila::SinCambios || f.estado_ == EstadoFila::Aplicada) return 0;
    if (!conexion_) throw std::logic_error("Conjunto de filas sin conexión");
    if (tabla_.empty()) throw std::logic_error("Conjunto de filas sin tabla para aplicar");
    if (f.estado_ != EstadoFila::Borrada) verificarPosteo(f);

    std::string sql;
    std::vector<Valor> parametros;
    auto condicion = [&]() {
        std::string donde;
        for (size_t i = 0; i < columnas_.size(); ++i) {
            const Columna& c = columnas_[i];
            if (c.esBlob() || c.nombre.empty()) continue;
            donde += donde.empty() ? " WHERE " : " AND ";
            if (f.originales_[i].esNulo()) {
                donde += identificador(c.nombre) + " IS NULL";
            } else {
                donde += identificador(c.nombre) + " = ?";
                parametros.push_back(f.originales_[i]);
            }
        }
        return donde;
    };

    switch (f.estado_) {
        case EstadoFila::Insertada: {
            std::string nombres, marcas;
            for (size_t i = 0; i < columnas_.size(); ++i) {
                if (columnas_[i].nombre.empty()) continue;
                if (!nombres.empty()) {
                    nombres += ", ";
                    marcas += ", ";
                }
                nombres += identificador(columnas_[i].nombre);
                marcas += "?";
                parametros.push_back(f.actuales_[i]);
            }
            sql = "INSERT INTO " + identificador(tabla_) + " (" + nombres + ") VALUES (" + marcas + ")";
            break;
        }
        case EstadoFila::Modificada: {
            std::string asignaciones;
            for (size_t i = 0; i < columnas_.size(); ++i) {
                if (!f.cambiada(i) || columnas_[i].nombre.empty()) continue;
                if (!asignaciones.empty()) asignaciones += ", ";
                asignaciones += identificador(columnas_[i].nombre) + " = ?";
                parametros.push_back(f.actuales_[i]);
            }
            if (asignaciones.empty()) {
                f.estado_ = EstadoFila::Aplicada;
                return 0;
            }
            sql = "UPDATE " + identificador(tabla_) + " SET " + asignaciones;
            sql += condicion();
            break;
        }
        case EstadoFila::Borrada:
            sql = "DELETE FROM " + identificador(tabla_);
            sql += condicion();
            break;
        default: return 0;
    }

    uint64_t afectadas = 0;
    try {
        afectadas = conexion_->ejecutarFila(sql, parametros);
    } catch (const ErrorBaseDatos& e) {
        if (e.conexionPerdida()) throw;  // not a refusal of this row: the run cannot go on
        return rechazar(e.mensaje());
    }
    if (afectadas != 1) {
        // Outside a scope nothing was committed; inside one the caller undoes
        // the scope when an apply fails.
        return rechazar("Record not found or changed by another user");
    }
    f.originales_ = f.actuales_;
    f.estado_ = EstadoFila::Aplicada;
    return 0;
}

}  // namespace db
