// The document copy procedure: delete, annul or copy one document (a header
// and its detail rows) from the source database into the target, under a
// fresh internal id from the target's generator. One procedure serves every
// document family; where a family differs, the difference is a hook.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/catalogo.h"

namespace engine {

// Builds a statement from the event (a lookup by something else than prefix
// and number).
using SentenciaDeEvento = std::function<std::string(const Evento&)>;
// Changes a prepared target row before it is applied.
using AjusteFila = std::function<void(const ContextoEvento&, db::ConjuntoFilas& destino, size_t fila)>;
// Fills a target row from a source row, in place of the positional copy.
// `nueva` tells an inserted row from an updated one.
using CopiaFila = std::function<void(const ContextoEvento&, const db::ConjuntoFilas& origen, size_t filaOrigen,
                                     db::ConjuntoFilas& destino, size_t filaDestino, bool nueva)>;

struct TablaDetalle {
    std::string origen;   // source rows, followed by RPEV_IDDOC
    std::string destino;  // target rows, followed by the target id
    CopiaFila copia;      // default: positional copy of every column
    AjusteFila alPreparar;  // after column 0 := target id, before the apply
};

struct ParametrosDocumento {
    std::string tablaEncabezado;  // where the header rows are applied
    std::string columnaId;        // internal id of the header (its first column)
    std::string origenEncabezado;  // followed by RPEV_IDDOC
    // Business key: clavePrefijo + quoted(RPEV_PREF) + claveNumero + quoted(RPEV_NUMERO),
    // unless `busqueda` builds the statement.
    std::string clavePrefijo, claveNumero;
    SentenciaDeEvento busqueda;
    std::string columnaAnulado;
    std::string generadorId;
    bool marcarNumok = false;        // NUMOK := "N" on a new header
    bool numokAlActualizar = false;  // ... and on an updated one
    bool releerId = false;           // target id := id column of the applied new header
    std::vector<std::string> borradoDetalles;  // update path, followed by the found id
    std::vector<TablaDetalle> detalles;        // copied in order while no row failed
    CopiaFila copiaEncabezado;                 // default: positional (update: from column 1)
    AjusteFila alNuevo, alActualizar;          // extra assignments on the header
    std::function<void(const ContextoEvento&)> alCompletar;  // after a complete copy

    std::string sentenciaBusqueda(const Evento& e) const;
};

// Runs the procedure for the context's event. Its outcome is the error flag
// and the target's rows; the caller's transaction makes it all or nothing.
void copiarDocumento(const ParametrosDocumento& p, ContextoEvento& ctx);

class ManejadorDocumento : public Manejador {
public:
    explicit ManejadorDocumento(ParametrosDocumento p) : p_(std::move(p)) {}
    void aplicar(ContextoEvento& ctx) const override { copiarDocumento(p_, ctx); }
    const ParametrosDocumento& parametros() const { return p_; }

private:
    ParametrosDocumento p_;
};

}  // namespace engine
