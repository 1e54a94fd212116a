// The rows of one query, kept in memory, editable, and applied to the
// database one row at a time.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/conexion.h"
#include "db/valor.h"

namespace db {

// Hooks for rows that fail. Both receive the message that explains the
// failure; the row set calls them before it answers or throws.
struct CapturaErrores {
    // The database refused an applied row (or no row matched).
    std::function<void(const std::string& mensaje)> alRechazar;
    // A row could not be posted (a NOT NULL column left NULL).
    std::function<void(const std::string& mensaje)> alFallarPosteo;
};

enum class EstadoFila { SinCambios, Insertada, Modificada, Borrada, Aplicada };

class Fila {
public:
    explicit Fila(size_t columnas, EstadoFila estado);
    const Valor& valor(size_t i) const { return actuales_.at(i); }
    const Valor& original(size_t i) const { return originales_.at(i); }
    EstadoFila estado() const { return estado_; }
    bool cambiada(size_t i) const { return !(actuales_.at(i) == originales_.at(i)); }

private:
    friend class ConjuntoFilas;
    friend struct Conexion::Impl;
    std::vector<Valor> actuales_, originales_;
    EstadoFila estado_;
};

class ConjuntoFilas {
public:
    ConjuntoFilas() = default;
    ConjuntoFilas(std::vector<Columna> columnas, Conexion* conexion);

    const std::vector<Columna>& columnas() const { return columnas_; }
    size_t numColumnas() const { return columnas_.size(); }
    size_t numFilas() const { return filas_.size(); }
    bool vacio() const { return filas_.empty(); }
    // Index of a column by name or alias (case-insensitive); throws
    // std::out_of_range naming the column when there is none.
    size_t indice(const std::string& nombre) const;
    void fijarEtiqueta(const std::string& columna, std::string etiqueta);

    const Fila& fila(size_t i) const { return filas_.at(i); }
    const Valor& valor(size_t fila, size_t columna) const { return filas_.at(fila).valor(columna); }
    const Valor& valor(size_t fila, const std::string& columna) const { return valor(fila, indice(columna)); }

    // Table that applies are sent to; by default the table of the first
    // column as the query reported it.
    const std::string& tabla() const { return tabla_; }
    void fijarTabla(std::string tabla) { tabla_ = std::move(tabla); }

    // Appends a row of NULLs, to be inserted; answers its index.
    size_t agregar();
    // Sets a value, converted to the column's type (an integer into a
    // decimal column, a text into a date column...). Throws ErrorConversion
    // when the value cannot be put into the column.
    void asignar(size_t fila, size_t columna, const Valor& v);
    void asignar(size_t fila, const std::string& columna, const Valor& v) { asignar(fila, indice(columna), v); }
    void marcarBorrada(size_t fila);
    // Undoes the changes of a row not yet applied: an appended row goes, an
    // edited one takes the values read back.
    void revertir(size_t fila);
    // The posting check of aplicar() without sending anything: a NOT NULL
    // column left NULL goes to alFallarPosteo and throws AbortoSilencioso.
    void verificarPosteo(size_t fila) const { verificarPosteo(filas_.at(fila)); }
    // Drops a row from memory only (nothing is sent).
    void quitar(size_t fila);

    void fijarCaptura(CapturaErrores captura) { captura_ = std::move(captura); }

    // Sends one prepared row to the database: an insert sends every column;
    // an update sends the changed columns and matches the row as it was read
    // on every non-blob column; a delete matches the row as read. A row that
    // matches nothing is a failure too. Answers the number of failed rows (0
    // or 1); a failure's message goes to alRechazar and nothing of the row
    // is committed. A NOT NULL column left NULL goes to alFallarPosteo and
    // throws AbortoSilencioso. A row already applied, or never changed,
    // answers 0 without sending anything.
    int aplicar(size_t fila);

private:
    void verificarPosteo(const Fila& f) const;
    int rechazar(const std::string& mensaje) const;

    std::vector<Columna> columnas_;
    std::vector<Fila> filas_;
    Conexion* conexion_ = nullptr;
    std::string tabla_;
    CapturaErrores captura_;

    friend struct Conexion::Impl;
};

// Puts a value into a column's type; see ConjuntoFilas::asignar.
Valor convertirParaColumna(const Valor& v, const Columna& c);

}  // namespace db
