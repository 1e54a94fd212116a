// The positional copy rule between two `select *` of the same table in two
// databases.
#pragma once

#include <cstddef>

#include "db/conjunto_filas.h"

namespace db {

// The value through a signed 64-bit fixed-point number with four decimals,
// rounded half away from zero; NULL becomes 0.
Valor aCuatroDecimales(const Valor& v);

// Value i of the source row to column i of the target row, for every target
// column from `desde` on. Into an exact decimal column the value goes through
// aCuatroDecimales and then into the column's own scale; every other value,
// NULL included, is copied unchanged. A source with fewer columns than the
// target, or a value that does not fit its column, throws ErrorConversion.
void copiarPosicional(const ConjuntoFilas& origen, size_t filaOrigen, ConjuntoFilas& destino, size_t filaDestino,
                      size_t desde = 0);

}  // namespace db
