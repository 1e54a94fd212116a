// Inventory documents, types 11 to 18: one header table with one detail
// table each, copied by the document copy procedure.
#include <memory>

#include "db/sql.h"
#include "engine/copia_documento.h"
#include "handlers/catalogo.h"

namespace handlers {

namespace {

using engine::ParametrosDocumento;

struct FilaInventario {
    int tipo;
    const char* tabla;
    const char* columnaId;
    const char* origenEncabezado;
    const char* clavePrefijo;
    const char* claveNumero;
    const char* columnaAnulado;
    const char* generadorId;
    bool marcarNumok;
    bool releerId;
    const char* borradoDetalle;
    const char* origenDetalle;
    const char* destinoDetalle;
};

// Statement texts are sent as they stand, letter case included.
const FilaInventario kInventario[] = {
    {11, "ENTRADAS", "ENTR_ID", "select * from entradas where entr_id = ",
     "SELECT * FROM ENTRADAS WHERE PREF_PRE = ", " AND ENTR_NUMERO = ", "ENTR_ANULADO",
     "select * from cambie_id_entrada", true, true,
     "delete from entradas_detalle where entr_id = ", "select * from entradas_detalle where entr_id = ",
     "SELECT * FROM ENTRADAS_DETALLE WHERE ENTR_ID = "},
    {12, "SALIDAS", "SALI_ID", "select * from salidas where sali_id = ",
     "SELECT * FROM SALIDAS WHERE PREF_PRE = ", " AND SALI_NUMERO = ", "SALI_ANULADO",
     "select * from cambie_id_salida", true, true,
     "delete from salidas_detalle where sali_id = ", "select * from salidas_detalle where sali_id = ",
     "SELECT * FROM SALIDAS_DETALLE WHERE SALI_ID = "},
    {13, "TRASFERENCIAS", "TRAN_ID", "select * from trasferencias where tran_id = ",
     "SELECT * FROM TRASFERENCIAS WHERE PREF_PRE = ", " AND TRAN_NUMERO = ", "TRAN_ANULADO",
     "select * from cambie_id_transfer", true, true,
     "delete from trasferencias_detalle where tran_id = ", "select * from trasferencias_detalle where tran_id = ",
     "select * from trasferencias_detalle where tran_id = "},
    {14, "AJUSTES", "AJUS_ID", "select * from ajustes where ajus_id = ", nullptr, nullptr, "AJUS_ANULADO",
     "select * from cambie_id_ajusteinv", true, false,
     "delete from ajustes_detalle where ajus_id = ", "select * from ajustes_detalle where ajus_id = ",
     "SELECT * FROM AJUSTES_DETALLE WHERE AJUS_ID = "},
    {15, "ENSAMBLES", "ENSA_ID", "select * from ENSAMBLES where ensa_id = ",
     "SELECT * FROM ENSAMBLES WHERE PREF_PRE = ", " AND ENSA_NUMERO = ", "ENSA_ANULADO",
     "select * from cambie_id_ensamble", true, false,
     "delete from ensambles_detalle where ensa_id = ", "select * from ensambles_detalle where ensa_id = ",
     "SELECT * FROM ENSAMBLES_DETALLE WHERE ENSA_ID = "},
    {16, "DESENSAMBLES", "DESE_ID", "select * from desensambles where dese_id = ",
     "SELECT * FROM DESENSAMBLES WHERE PREF_PRE = ", " AND DESE_NUMERO = ", "DESE_ANULADO",
     "select * from cambie_id_desensamble", true, false,
     "delete from desensambles_detalle where dese_id = ", "select * from desensambles_detalle where dese_id = ",
     "SELECT * FROM DESENSAMBLES_DETALLE WHERE DESE_ID = "},
    {17, "RESERVAS", "RESE_ID", "select * from reservas where rese_id = ",
     "SELECT * FROM RESERVAS WHERE PREF_PRE = ", " AND RESE_NUMERO = ", "RESE_ANULADO",
     "select * from cambie_id_reserva", false, false,
     "delete from reservas_detalle where rese_id = ", "select * from reservas_detalle where rese_id = ",
     "SELECT * FROM RESERVAS_DETALLE WHERE RESE_ID = "},
    {18, "ORDENES_INVENTARIO", "ORIN_ID", "select * from ORDENES_INVENTARIO where orin_id = ",
     "SELECT * FROM ORDENES_INVENTARIO WHERE PREF_PRE = ", " AND ORIN_NUMERO = ", "ORIN_ANULADO",
     "select * from cambie_id_ordenmcia", false, false,
     "delete from ordeninventario_detalle where orin_id = ", "select * from ordeninventario_detalle where orin_id = ",
     "SELECT * FROM ORDENINVENTARIO_DETALLE WHERE ORIN_ID = "},
};

// Adjustments are known in the target by their concept, which carries the
// source prefix and number; the document itself is filed under the
// destination prefix.
std::string conceptoAjuste(const engine::Evento& e) { return "Ajuste No." + e.pref + e.numero; }

void etiquetarAjuste(const engine::ContextoEvento& ctx, db::ConjuntoFilas& filas, size_t f) {
    filas.asignar(f, "PREF_PRE", db::Valor::texto(ctx.evento.prefdest));
    filas.asignar(f, "AJUS_CONC", db::Valor::texto(conceptoAjuste(ctx.evento)));
}

ParametrosDocumento parametros(const FilaInventario& r) {
    ParametrosDocumento p;
    p.tablaEncabezado = r.tabla;
    p.columnaId = r.columnaId;
    p.origenEncabezado = r.origenEncabezado;
    if (r.clavePrefijo) {
        p.clavePrefijo = r.clavePrefijo;
        p.claveNumero = r.claveNumero;
    }
    p.columnaAnulado = r.columnaAnulado;
    p.generadorId = r.generadorId;
    p.marcarNumok = r.marcarNumok;
    p.releerId = r.releerId;
    p.borradoDetalles = {r.borradoDetalle};
    p.detalles = {{r.origenDetalle, r.destinoDetalle, {}, {}}};
    return p;
}

}  // namespace

void registrarInventario(engine::Catalogo& catalogo) {
    for (const FilaInventario& r : kInventario) {
        ParametrosDocumento p = parametros(r);
        if (r.tipo == 14) {
            p.busqueda = [](const engine::Evento& e) {
                return "SELECT * FROM AJUSTES WHERE AJUS_CONC = " + db::quoted(conceptoAjuste(e));
            };
            p.alNuevo = etiquetarAjuste;
            p.alActualizar = etiquetarAjuste;
            p.numokAlActualizar = true;
        }
        catalogo.registrar(r.tipo, std::make_unique<engine::ManejadorDocumento>(std::move(p)));
    }
}

}  // namespace handlers
