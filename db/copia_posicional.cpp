#include "db/copia_posicional.h"

#include "db/errores.h"

namespace db {

Valor aCuatroDecimales(const Valor& v) { return Valor::decimal(v.esNulo() ? 0 : v.comoDecimal(4), 4); }

void copiarPosicional(const ConjuntoFilas& origen, size_t filaOrigen, ConjuntoFilas& destino, size_t filaDestino,
                      size_t desde) {
    if (origen.numColumnas() < destino.numColumnas())
        throw ErrorConversion("La tabla de origen " + origen.tabla() + " tiene " + std::to_string(origen.numColumnas()) +
                              " columnas y la de destino " + std::to_string(destino.numColumnas()));
    for (size_t i = desde; i < destino.numColumnas(); ++i) {
        const Valor& v = origen.valor(filaOrigen, i);
        if (destino.columnas()[i].esDecimalExacto())
            destino.asignar(filaDestino, i, aCuatroDecimales(v));
        else
            destino.asignar(filaDestino, i, v);
    }
}

}  // namespace db
