#include "engine/copia_documento.h"

#include "db/copia_posicional.h"
#include "db/sql.h"

namespace engine {

using db::ConjuntoFilas;
using db::Valor;

std::string ParametrosDocumento::sentenciaBusqueda(const Evento& e) const {
    if (busqueda) return busqueda(e);
    return clavePrefijo + db::quoted(e.pref) + claveNumero + db::quoted(e.numero);
}

namespace {

void copiarDetalles(const ParametrosDocumento& p, ContextoEvento& ctx) {
    EstadoCorrida& estado = ctx.estado;
    const std::string idOrigen = ctx.evento.iddocClave();
    const std::string idDestino = db::claveNumerica(estado.idDestino);
    for (const TablaDetalle& tabla : p.detalles) {
        if (estado.error) break;
        ConjuntoFilas fuente = ctx.origen.consultar(tabla.origen + idOrigen);
        ConjuntoFilas destino = ctx.consultarDestino(tabla.destino + idDestino);
        for (size_t i = 0; i < fuente.numFilas() && !estado.error; ++i) {
            size_t f = destino.agregar();
            if (tabla.copia)
                tabla.copia(ctx, fuente, i, destino, f, true);
            else
                db::copiarPosicional(fuente, i, destino, f);
            destino.asignar(f, 0, Valor::entero(estado.idDestino));
            if (tabla.alPreparar) tabla.alPreparar(ctx, destino, f);
            ctx.aplicar(destino, f);
        }
    }
}

}  // namespace

void copiarDocumento(const ParametrosDocumento& p, ContextoEvento& ctx) {
    const Evento& ev = ctx.evento;
    EstadoCorrida& estado = ctx.estado;

    if (ev.esBorrado() || ev.esAnulacion()) {
        ConjuntoFilas encontrado = ctx.consultarDestino(p.sentenciaBusqueda(ev));
        if (encontrado.vacio()) return;
        if (ev.esBorrado())
            encontrado.marcarBorrada(0);
        else
            encontrado.asignar(0, p.columnaAnulado, Valor::texto("S"));
        ctx.aplicar(encontrado, 0);
        return;
    }

    ConjuntoFilas fuente = ctx.origen.consultar(p.origenEncabezado + ev.iddocClave());
    estado.idDestino = 0;
    if (fuente.vacio()) return;  // deleted at the source after its event was written
    ConjuntoFilas destino = ctx.consultarDestino(p.sentenciaBusqueda(ev));
    destino.fijarTabla(p.tablaEncabezado);
    const size_t columnaId = destino.indice(p.columnaId);

    if (destino.vacio()) {
        size_t f = destino.agregar();
        if (p.copiaEncabezado)
            p.copiaEncabezado(ctx, fuente, 0, destino, f, true);
        else
            db::copiarPosicional(fuente, 0, destino, f);
        ConjuntoFilas id = ctx.generarId(p.generadorId);
        if (!id.vacio()) {
            estado.idDestino = id.valor(0, 0).comoEntero();
            destino.asignar(f, columnaId, Valor::entero(estado.idDestino));
        }
        if (p.alNuevo) p.alNuevo(ctx, destino, f);
        if (p.marcarNumok) destino.asignar(f, "NUMOK", Valor::texto("N"));
        ctx.aplicar(destino, f);
        if (estado.error) return;
        if (p.releerId) estado.idDestino = destino.valor(f, columnaId).comoEntero();
    } else {
        estado.idDestino = destino.valor(0, columnaId).comoEntero();
        const std::string idEncontrado = db::claveNumerica(estado.idDestino);
        for (const std::string& borrado : p.borradoDetalles) ctx.destino.ejecutar(borrado + idEncontrado);
        if (p.copiaEncabezado)
            p.copiaEncabezado(ctx, fuente, 0, destino, 0, false);
        else
            db::copiarPosicional(fuente, 0, destino, 0, 1);
        if (p.alActualizar) p.alActualizar(ctx, destino, 0);
        if (p.numokAlActualizar) destino.asignar(0, "NUMOK", Valor::texto("N"));
        ctx.aplicar(destino, 0);
        if (estado.error) return;
    }

    estado.copiarDetalles = true;
    copiarDetalles(p, ctx);
    if (!estado.error && p.alCompletar) p.alCompletar(ctx);
}

}  // namespace engine
