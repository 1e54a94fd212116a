// The catalogue of every event type the agent handles.
#pragma once

#include "engine/catalogo.h"

namespace handlers {

// The full catalogue, built once; shared read-only by every run.
const engine::Catalogo& catalogoCompleto();

// One function per family adds its types.
void registrarInventario(engine::Catalogo& catalogo);

}  // namespace handlers
