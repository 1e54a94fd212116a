// A connection to one Firebird database, with the fixed parameter set the
// agent uses everywhere: SQL dialect 3, read committed, wait on lock
// conflicts, no connection character set, no role.
//
// Outside a transaction scope every statement runs in its own transaction,
// committed at once. Inside an AmbitoTransaccion every statement, query and
// row apply of the connection joins the scope's transaction. A statement sent
// through a closed connection opens it again with the name, user and password
// it holds. Not thread-safe: one thread uses a connection at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/valor.h"

namespace db {

class ConjuntoFilas;

// Description of one column of a result, as the database reports it.
struct Columna {
    std::string nombre;    // column of the table (empty for an expression)
    std::string alias;     // name in the result
    std::string relacion;  // table of the column
    unsigned tipoSql = 0;  // SQL_* code without the nullable bit
    int subtipo = 0;
    int escala = 0;  // negative for decimals: NUMERIC(15,4) reports -4
    unsigned longitud = 0;
    bool anulable = true;
    std::string etiqueta;  // shown to people; empty means nombre

    bool esDecimalExacto() const;
    bool esBlob() const;
    const std::string& nombreVisible() const { return etiqueta.empty() ? (nombre.empty() ? alias : nombre) : etiqueta; }
};

// Where a statement runs when a transaction scope is open.
enum class Transaccion {
    Actual,  // the scope's transaction, or its own when no scope is open
    Propia,  // always its own transaction, committed at once
};

class Conexion {
public:
    Conexion();
    ~Conexion();
    Conexion(const Conexion&) = delete;
    Conexion& operator=(const Conexion&) = delete;

    // Changing these does not touch an open attachment; they are used by the
    // next abrir().
    void fijarBase(std::string nombre) { base_ = std::move(nombre); }
    void fijarUsuario(std::string usuario) { usuario_ = std::move(usuario); }
    void fijarClave(std::string clave) { clave_ = std::move(clave); }
    const std::string& base() const { return base_; }
    const std::string& usuario() const { return usuario_; }
    const std::string& clave() const { return clave_; }

    // Opens the attachment if it is closed. Throws ErrorBaseDatos with the
    // client's message (wrong password, missing file, unknown host...).
    void abrir();
    // Closes the attachment, rolling back an open scope. Never throws.
    void cerrar();
    bool abierta() const;
    bool enTransaccion() const;

    // Direct statement (no result set); answers the rows affected.
    uint64_t ejecutar(const std::string& sql, Transaccion t = Transaccion::Actual);
    // Statement with bound parameters (one '?' per value). Prepared statements
    // are kept for reuse while the connection stays open.
    uint64_t ejecutar(const std::string& sql, const std::vector<Valor>& parametros,
                      Transaccion t = Transaccion::Actual);
    // A statement that must change exactly one row (a row apply). Outside a
    // scope its transaction is committed only when exactly one row changed.
    uint64_t ejecutarFila(const std::string& sql, const std::vector<Valor>& parametros);
    // Query: every row is fetched before it returns. The result can be edited
    // and applied row by row against this connection.
    ConjuntoFilas consultar(const std::string& sql, Transaccion t = Transaccion::Actual);
    ConjuntoFilas consultar(const std::string& sql, const std::vector<Valor>& parametros,
                            Transaccion t = Transaccion::Actual);

    // Creates a new database file (dialect 3, no default character set,
    // forced writes off: meant for test and demo databases) and leaves this
    // connection attached to it.
    void crearBase();

    struct Impl;

private:
    friend class AmbitoTransaccion;
    std::string base_, usuario_, clave_;
    std::unique_ptr<Impl> impl_;
};

// One explicit transaction on a connection, from construction to
// confirmar() or deshacer(). The destructor rolls back a scope that was
// neither confirmed nor undone. Scopes do not nest.
class AmbitoTransaccion {
public:
    explicit AmbitoTransaccion(Conexion& conexion);
    ~AmbitoTransaccion();
    AmbitoTransaccion(const AmbitoTransaccion&) = delete;
    AmbitoTransaccion& operator=(const AmbitoTransaccion&) = delete;

    void confirmar();  // throws ErrorBaseDatos if the commit fails
    void deshacer();   // never throws
    bool activo() const { return activo_; }

private:
    Conexion& conexion_;
    bool activo_ = false;
};

}  // namespace db
