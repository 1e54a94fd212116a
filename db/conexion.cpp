#include "db/conexion.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "db/conjunto_filas.h"
#include "db/errores.h"

using namespace Firebird;

namespace db {

namespace {

IMaster* maestro() {
    static IMaster* m = fb_get_master_interface();
    return m;
}

IUtil* util() { return maestro()->getUtilInterface(); }

IProvider* proveedor() {
    static IProvider* p = maestro()->getDispatcher();
    return p;
}

// A status wrapper that throws FbException; the exception keeps its own copy.
struct Estado {
    IStatus* status = maestro()->getStatus();
    ThrowStatusWrapper w{status};
    ~Estado() { status->dispose(); }
};

const unsigned char kTpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                              isc_tpb_wait};

std::vector<long> codigosDe(IStatus* s) {
    std::vector<long> r;
    const intptr_t* v = s->getErrors();
    while (v && *v != isc_arg_end) {
        intptr_t tipo = v[0];
        if (tipo == isc_arg_gds) r.push_back(static_cast<long>(v[1]));
        v += (tipo == isc_arg_cstring) ? 3 : 2;
    }
    return r;
}

ErrorBaseDatos errorDe(const FbException& e, const std::string& sql) {
    char texto[8192];
    util()->formatStatus(texto, sizeof texto, e.getStatus());
    return ErrorBaseDatos(texto, sql, codigosDe(e.getStatus()));
}

void liberarTransaccion(ITransaction*& t, bool confirmar) {
    if (!t) return;
    Estado e;
    try {
        if (confirmar)
            t->commit(&e.w);
        else
            t->rollback(&e.w);
    } catch (const FbException&) {
        t->release();
    }
    t = nullptr;
}

// Parameters of one statement, in a message described by our own metadata so
// each value travels in its own type and the server converts where needed.
class Mensaje {
public:
    Mensaje(ThrowStatusWrapper& w, IAttachment* att, ITransaction* tra, const std::vector<Valor>& valores) {
        if (valores.empty()) return;
        IMetadataBuilder* b = maestro()->getMetadataBuilder(&w, static_cast<unsigned>(valores.size()));
        try {
            for (unsigned i = 0; i < valores.size(); ++i) describir(w, b, i, valores[i]);
            meta_ = b->getMetadata(&w);
        } catch (...) {
            b->release();
            throw;
        }
        b->release();
        buffer_.assign(meta_->getMessageLength(&w), 0);
        for (unsigned i = 0; i < valores.size(); ++i) llenar(w, att, tra, i, valores[i]);
    }
    ~Mensaje() {
        if (meta_) meta_->release();
    }
    IMessageMetadata* meta() const { return meta_; }
    void* buffer() { return buffer_.empty() ? nullptr : buffer_.data(); }

private:
    static void describir(ThrowStatusWrapper& w, IMetadataBuilder* b, unsigned i, const Valor& v) {
        unsigned tipo = SQL_VARYING, longitud = 1;
        int escala = 0, subtipo = 0;
        switch (v.tipo()) {
            case TipoValor::Nulo: break;
            case TipoValor::Entero: tipo = SQL_INT64, longitud = 8; break;
            case TipoValor::Decimal: tipo = SQL_INT64, longitud = 8, escala = -v.decimales(); break;
            case TipoValor::Flotante: tipo = SQL_DOUBLE, longitud = 8; break;
            case TipoValor::Texto:
                longitud = static_cast<unsigned>(std::max<size_t>(1, v.bytes().size()));
                if (longitud > 32765) throw ErrorConversion("Texto demasiado largo para un parámetro");
                break;
            case TipoValor::Fecha: tipo = SQL_TYPE_DATE, longitud = sizeof(ISC_DATE); break;
            case TipoValor::Hora: tipo = SQL_TYPE_TIME, longitud = sizeof(ISC_TIME); break;
            case TipoValor::MarcaTiempo: tipo = SQL_TIMESTAMP, longitud = sizeof(ISC_TIMESTAMP); break;
            case TipoValor::BlobTexto: tipo = SQL_BLOB, longitud = sizeof(ISC_QUAD), subtipo = 1; break;
            case TipoValor::BlobBinario: tipo = SQL_BLOB, longitud = sizeof(ISC_QUAD); break;
            case TipoValor::Booleano: tipo = SQL_BOOLEAN, longitud = 1; break;
        }
        b->setType(&w, i, tipo + 1);  // +1: nullable, so the message has a null flag
        b->setLength(&w, i, longitud);
        b->setScale(&w, i, escala);
        b->setSubType(&w, i, subtipo);
        if (tipo == SQL_VARYING || (tipo == SQL_BLOB && subtipo == 1)) b->setCharSet(&w, i, 0);  // NONE: bytes pass unchanged
    }

    void llenar(ThrowStatusWrapper& w, IAttachment* att, ITransaction* tra, unsigned i, const Valor& v) {
        unsigned char* p = buffer_.data() + meta_->getOffset(&w, i);
        auto* nulo = reinterpret_cast<short*>(buffer_.data() + meta_->getNullOffset(&w, i));
        *nulo = v.esNulo() ? -1 : 0;
        switch (v.tipo()) {
            case TipoValor::Nulo: break;
            case TipoValor::Entero:
            case TipoValor::Decimal: {
                int64_t x = v.escalado();
                std::memcpy(p, &x, 8);
                break;
            }
            case TipoValor::Flotante: {
                double x = v.flotanteExacto();
                std::memcpy(p, &x, 8);
                break;
            }
            case TipoValor::Texto: {
                auto n = static_cast<unsigned short>(v.bytes().size());
                std::memcpy(p, &n, 2);
                std::memcpy(p + 2, v.bytes().data(), n);
                break;
            }
            case TipoValor::Fecha: {
                Fecha f = v.fechaValor();
                ISC_DATE d = util()->encodeDate(f.anio, f.mes, f.dia);
                std::memcpy(p, &d, sizeof d);
                break;
            }
            case TipoValor::Hora: {
                Hora h = v.horaValor();
                ISC_TIME t = util()->encodeTime(h.hora, h.minuto, h.segundo, h.diezmilesimas);
                std::memcpy(p, &t, sizeof t);
                break;
            }
            case TipoValor::MarcaTiempo: {
                Fecha f = v.fechaValor();
                Hora h = v.horaValor();
                ISC_TIMESTAMP ts;
                ts.timestamp_date = util()->encodeDate(f.anio, f.mes, f.dia);
                ts.timestamp_time = util()->encodeTime(h.hora, h.minuto, h.segundo, h.diezmilesimas);
                std::memcpy(p, &ts, sizeof ts);
                break;
            }
            case TipoValor::BlobTexto:
            case TipoValor::BlobBinario: {
                ISC_QUAD id{};
                IBlob* blob = att->createBlob(&w, tra, &id, 0, nullptr);
                const std::string& datos = v.bytes();
                for (size_t desde = 0; desde < datos.size(); desde += 32768) {
                    auto n = static_cast<unsigned>(std::min<size_t>(32768, datos.size() - desde));
                    blob->putSegment(&w, n, datos.data() + desde);
                }
                blob->close(&w);
                std::memcpy(p, &id, sizeof id);
                break;
            }
            case TipoValor::Booleano: *p = v.escalado() ? 1 : 0; break;
        }
    }

    IMessageMetadata* meta_ = nullptr;
    std::vector<unsigned char> buffer_;
};

std::vector<Columna> describirSalida(ThrowStatusWrapper& w, IMessageMetadata* m) {
    std::vector<Columna> r;
    unsigned n = m->getCount(&w);
    for (unsigned i = 0; i < n; ++i) {
        Columna c;
        c.nombre = m->getField(&w, i);
        c.alias = m->getAlias(&w, i);
        c.relacion = m->getRelation(&w, i);
        c.tipoSql = m->getType(&w, i) & ~1u;
        c.subtipo = m->getSubType(&w, i);
        c.escala = m->getScale(&w, i);
        c.longitud = m->getLength(&w, i);
        c.anulable = m->isNullable(&w, i);
        r.push_back(std::move(c));
    }
    return r;
}

std::string leerBlob(ThrowStatusWrapper& w, IAttachment* att, ITransaction* tra, ISC_QUAD id) {
    std::string r;
    IBlob* blob = att->openBlob(&w, tra, &id, 0, nullptr);
    char trozo[32768];
    for (;;) {
        unsigned leidos = 0;
        int res = blob->getSegment(&w, sizeof trozo, trozo, &leidos);
        if (res == IStatus::RESULT_NO_DATA) break;
        r.append(trozo, leidos);
    }
    blob->close(&w);
    return r;
}

Valor leerValor(ThrowStatusWrapper& w, IAttachment* att, ITransaction* tra, IMessageMetadata* m, const Columna& c,
                unsigned i, const unsigned char* buf) {
    if (*reinterpret_cast<const short*>(buf + m->getNullOffset(&w, i))) return Valor::nulo();
    const unsigned char* p = buf + m->getOffset(&w, i);
    switch (c.tipoSql) {
        case SQL_TEXT: return Valor::texto(std::string(reinterpret_cast<const char*>(p), c.longitud));
        case SQL_VARYING: {
            unsigned short n;
            std::memcpy(&n, p, 2);
            return Valor::texto(std::string(reinterpret_cast<const char*>(p + 2), n));
        }
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            int64_t x = 0;
            if (c.tipoSql == SQL_SHORT) {
                int16_t s;
                std::memcpy(&s, p, 2);
                x = s;
            } else if (c.tipoSql == SQL_LONG) {
                int32_t l;
                std::memcpy(&l, p, 4);
                x = l;
            } else {
                std::memcpy(&x, p, 8);
            }
            if (c.esDecimalExacto()) return Valor::decimal(x, -c.escala);
            return Valor::entero(x);
        }
        case SQL_FLOAT: {
            float f;
            std::memcpy(&f, p, 4);
            return Valor::flotante(f);
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double d;
            std::memcpy(&d, p, 8);
            return Valor::flotante(d);
        }
        case SQL_TYPE_DATE: {
            ISC_DATE d;
            std::memcpy(&d, p, sizeof d);
            unsigned a, me, di;
            util()->decodeDate(d, &a, &me, &di);
            return Valor::fecha({int(a), int(me), int(di)});
        }
        case SQL_TYPE_TIME: {
            ISC_TIME t;
            std::memcpy(&t, p, sizeof t);
            unsigned h, mi, s, f;
            util()->decodeTime(t, &h, &mi, &s, &f);
            return Valor::hora({int(h), int(mi), int(s), int(f)});
        }
        case SQL_TIMESTAMP: {
            ISC_TIMESTAMP ts;
            std::memcpy(&ts, p, sizeof ts);
            unsigned a, me, di, h, mi, s, f;
            util()->decodeDate(ts.timestamp_date, &a, &me, &di);
            util()->decodeTime(ts.timestamp_time, &h, &mi, &s, &f);
            return Valor::marcaTiempo({int(a), int(me), int(di)}, {int(h), int(mi), int(s), int(f)});
        }
        case SQL_BLOB: {
            ISC_QUAD id;
            std::memcpy(&id, p, sizeof id);
            std::string datos = leerBlob(w, att, tra, id);
            return c.subtipo == 1 ? Valor::blobTexto(std::move(datos)) : Valor::blobBinario(std::move(datos));
        }
        case SQL_BOOLEAN: return Valor::booleano(*p != 0);
        default:
            throw ErrorConversion("Tipo de columna no soportado (" + std::to_string(c.tipoSql) + ") en " +
                                  c.nombreVisible());
    }
}

bool esConsulta(unsigned tipoSentencia) {
    return tipoSentencia == isc_info_sql_stmt_select || tipoSentencia == isc_info_sql_stmt_select_for_upd;
}

// Attaches to (or creates) a database with the agent's parameters: user and
// password only, so no role and no connection character set.
IAttachment* adjuntar(const std::string& base, const std::string& usuario, const std::string& clave, bool crear) {
    Estado e;
    IXpbBuilder* dpb = nullptr;
    try {
        dpb = util()->getXpbBuilder(&e.w, IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(&e.w, isc_dpb_user_name, usuario.c_str());
        dpb->insertString(&e.w, isc_dpb_password, clave.c_str());
        if (crear) {
            dpb->insertInt(&e.w, isc_dpb_sql_dialect, 3);
            dpb->insertInt(&e.w, isc_dpb_page_size, 8192);
            // Bulk creation: forced writes off as a restore does; the file is
            // new and nobody else uses it yet.
            dpb->insertInt(&e.w, isc_dpb_force_write, 0);
        }
        IAttachment* att = crear ? proveedor()->createDatabase(&e.w, base.c_str(), dpb->getBufferLength(&e.w),
                                                               dpb->getBuffer(&e.w))
                                 : proveedor()->attachDatabase(&e.w, base.c_str(), dpb->getBufferLength(&e.w),
                                                               dpb->getBuffer(&e.w));
        dpb->dispose();
        return att;
    } catch (const FbException& ex) {
        if (dpb) dpb->dispose();
        throw errorDe(ex, crear ? "CREATE DATABASE" : "");
    }
}

}  // namespace

struct Conexion::Impl {
    IAttachment* att = nullptr;
    ITransaction* ambito = nullptr;
    std::unordered_map<std::string, IStatement*> preparadas;

    // Asks the server to free `objeto` unless the connection is gone; the
    // local handle goes either way.
    template <class T, class Liberar>
    static void soltarObjeto(T* objeto, bool conServidor, Liberar liberar) {
        if (!conServidor) {
            objeto->release();
            return;
        }
        Estado e;
        try {
            liberar(objeto, e.w);
        } catch (const FbException&) {
            objeto->release();
        }
    }

    void soltarSentencias(bool conServidor) {
        for (auto& [sql, st] : preparadas)
            soltarObjeto(st, conServidor, [](IStatement* s, ThrowStatusWrapper& w) { s->free(&w); });
        preparadas.clear();
    }

    // Releases everything; after a lost connection the server is not asked.
    void soltar(bool conServidor) {
        soltarSentencias(conServidor);
        if (ambito) {
            if (conServidor)
                liberarTransaccion(ambito, false);
            else
                ambito->release(), ambito = nullptr;
        }
        if (att) {
            soltarObjeto(att, conServidor, [](IAttachment* a, ThrowStatusWrapper& w) { a->detach(&w); });
            att = nullptr;
        }
    }

    // Runs `trabajo` in the scope's transaction or in one of its own. With
    // its own transaction, `confirmar(resultado)` decides commit or rollback.
    template <class Trabajo, class Decide>
    auto enTransaccion(Transaccion t, const std::string& sql, Trabajo trabajo, Decide confirmar) {
        ITransaction* tra = (t == Transaccion::Actual) ? ambito : nullptr;
        bool propia = tra == nullptr;
        Estado e;
        try {
            if (propia) tra = att->startTransaction(&e.w, sizeof kTpb, kTpb);
            auto resultado = trabajo(e.w, tra);
            if (propia) {
                bool ok = confirmar(resultado);
                if (ok) {
                    tra->commit(&e.w);
                    tra = nullptr;
                } else {
                    liberarTransaccion(tra, false);
                }
            }
            return resultado;
        } catch (const FbException& ex) {
            ErrorBaseDatos error = errorDe(ex, sql);
            if (propia) liberarTransaccion(tra, false);
            if (error.conexionPerdida()) soltar(false);
            throw error;
        }
    }

    IStatement* preparar(ThrowStatusWrapper& w, ITransaction* tra, const std::string& sql, bool guardar) {
        if (guardar) {
            auto it = preparadas.find(sql);
            if (it != preparadas.end()) return it->second;
        }
        IStatement* st = att->prepare(&w, tra, 0, sql.c_str(), 3, IStatement::PREPARE_PREFETCH_METADATA);
        if (guardar) {
            if (preparadas.size() >= 200) soltarSentencias(true);
            preparadas.emplace(sql, st);
        }
        return st;
    }

    uint64_t ejecutar(ThrowStatusWrapper& w, ITransaction* tra, const std::string& sql,
                      const std::vector<Valor>& parametros) {
        bool guardar = !parametros.empty();
        IStatement* st = preparar(w, tra, sql, guardar);
        try {
            Mensaje entrada(w, att, tra, parametros);
            if (esConsulta(st->getType(&w))) {
                // A select sent as a direct statement: run it, count nothing.
                IResultSet* rs = st->openCursor(&w, tra, entrada.meta(), entrada.buffer(), nullptr, 0);
                rs->close(&w);
                if (!guardar) st->free(&w);
                return 0;
            }
            IMessageMetadata* salida = st->getOutputMetadata(&w);
            std::vector<unsigned char> bufSalida(salida->getMessageLength(&w));
            st->execute(&w, tra, entrada.meta(), entrada.buffer(), salida, bufSalida.data());
            salida->release();
            uint64_t n = st->getAffectedRecords(&w);
            if (!guardar) st->free(&w);
            return n;
        } catch (...) {
            if (!guardar) st->release();
            throw;
        }
    }

    ConjuntoFilas consultar(ThrowStatusWrapper& w, ITransaction* tra, const std::string& sql,
                            const std::vector<Valor>& parametros, Conexion* duenio) {
        IStatement* st = preparar(w, tra, sql, false);
        IMessageMetadata* salida = nullptr;
        IResultSet* rs = nullptr;
        try {
            Mensaje entrada(w, att, tra, parametros);
            salida = st->getOutputMetadata(&w);
            ConjuntoFilas resultado(describirSalida(w, salida), duenio);
            std::vector<unsigned char> buf(salida->getMessageLength(&w));
            auto agregarFila = [&]() {
                size_t i = resultado.agregar();
                Fila& f = resultado.filas_[i];
                for (unsigned c = 0; c < resultado.columnas_.size(); ++c)
                    f.actuales_[c] = leerValor(w, att, tra, salida, resultado.columnas_[c], c, buf.data());
                f.originales_ = f.actuales_;
                f.estado_ = EstadoFila::SinCambios;
            };
            if (esConsulta(st->getType(&w))) {
                rs = st->openCursor(&w, tra, entrada.meta(), entrada.buffer(), salida, 0);
                while (rs->fetchNext(&w, buf.data()) == IStatus::RESULT_OK) agregarFila();
                rs->close(&w);
                rs = nullptr;
            } else {
                // EXECUTE PROCEDURE and the like answer at most one row.
                st->execute(&w, tra, entrada.meta(), entrada.buffer(), salida, buf.data());
                if (!resultado.columnas_.empty()) agregarFila();
            }
            salida->release();
            st->free(&w);
            return resultado;
        } catch (...) {
            if (rs) rs->release();
            if (salida) salida->release();
            st->release();
            throw;
        }
    }
};

Conexion::Conexion() : impl_(std::make_unique<Impl>()) {}

Conexion::~Conexion() { cerrar(); }

void Conexion::abrir() {
    if (impl_->att) return;
    impl_->att = adjuntar(base_, usuario_, clave_, false);
}

void Conexion::crearBase() {
    cerrar();
    impl_->att = adjuntar(base_, usuario_, clave_, true);
}

void Conexion::cerrar() { impl_->soltar(true); }

bool Conexion::abierta() const { return impl_->att != nullptr; }

bool Conexion::enTransaccion() const { return impl_->ambito != nullptr; }

uint64_t Conexion::ejecutar(const std::string& sql, Transaccion t) { return ejecutar(sql, {}, t); }

uint64_t Conexion::ejecutar(const std::string& sql, const std::vector<Valor>& parametros, Transaccion t) {
    abrir();
    return impl_->enTransaccion(
        t, sql, [&](ThrowStatusWrapper& w, ITransaction* tra) { return impl_->ejecutar(w, tra, sql, parametros); },
        [](uint64_t) { return true; });
}

uint64_t Conexion::ejecutarFila(const std::string& sql, const std::vector<Valor>& parametros) {
    abrir();
    return impl_->enTransaccion(
        Transaccion::Actual, sql,
        [&](ThrowStatusWrapper& w, ITransaction* tra) { return impl_->ejecutar(w, tra, sql, parametros); },
        [](uint64_t n) { return n == 1; });
}

ConjuntoFilas Conexion::consultar(const std::string& sql, Transaccion t) { return consultar(sql, {}, t); }

ConjuntoFilas Conexion::consultar(const std::string& sql, const std::vector<Valor>& parametros, Transaccion t) {
    abrir();
    return impl_->enTransaccion(
        t, sql,
        [&](ThrowStatusWrapper& w, ITransaction* tra) { return impl_->consultar(w, tra, sql, parametros, this); },
        [](const ConjuntoFilas&) { return true; });
}

AmbitoTransaccion::AmbitoTransaccion(Conexion& conexion) : conexion_(conexion) {
    if (conexion_.impl_->ambito) throw std::logic_error("Ya hay una transacción abierta en la conexión");
    conexion_.abrir();
    Estado e;
    try {
        conexion_.impl_->ambito = conexion_.impl_->att->startTransaction(&e.w, sizeof kTpb, kTpb);
    } catch (const FbException& ex) {
        ErrorBaseDatos error = errorDe(ex, "START TRANSACTION");
        if (error.conexionPerdida()) conexion_.impl_->soltar(false);
        throw error;
    }
    activo_ = true;
}

AmbitoTransaccion::~AmbitoTransaccion() { deshacer(); }

void AmbitoTransaccion::confirmar() {
    if (!activo_) return;
    activo_ = false;
    ITransaction*& tra = conexion_.impl_->ambito;
    if (!tra) throw ErrorBaseDatos("La conexión se perdió antes de confirmar la transacción", "COMMIT");
    Estado e;
    try {
        tra->commit(&e.w);
        tra = nullptr;
    } catch (const FbException& ex) {
        ErrorBaseDatos error = errorDe(ex, "COMMIT");
        liberarTransaccion(tra, false);
        if (error.conexionPerdida()) conexion_.impl_->soltar(false);
        throw error;
    }
}

void AmbitoTransaccion::deshacer() {
    if (!activo_) return;
    activo_ = false;
    liberarTransaccion(conexion_.impl_->ambito, false);
}

ErrorBaseDatos::ErrorBaseDatos(std::string mensaje, std::string sentencia, std::vector<long> codigos)
    : std::runtime_error(sentencia.empty() ? mensaje : mensaje + "\nwhile executing \"" + sentencia + "\""),
      mensaje_(std::move(mensaje)),
      sentencia_(std::move(sentencia)),
      codigos_(std::move(codigos)) {}

bool ErrorBaseDatos::conexionPerdida() const {
    static const long kPerdida[] = {isc_network_error, isc_net_read_err, isc_net_write_err, isc_conn_lost,
                                    isc_lost_db_connection, isc_att_shutdown, isc_shutdown};
    for (long c : codigos_)
        if (std::find(std::begin(kPerdida), std::end(kPerdida), c) != std::end(kPerdida)) return true;
    return false;
}

}  // namespace db
