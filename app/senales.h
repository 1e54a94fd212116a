// SIGINT and SIGTERM close the main window, as "Cancelar" does: a run in
// progress finishes its current event first, and a scheduler that stops the
// agent gets a clean end.
//
// The signals stay blocked in every thread, the database engine's included
// (threads inherit the mask), and one thread of ours waits for them: a signal
// then never lands in the engine in the middle of its work, and the engine's
// own handler, which would shut it down at once, never runs.
#pragma once

class QWidget;

namespace app {

// First thing in main, before any other thread exists.
void bloquearSenalesDeCierre();
// From then on each signal closes `ventana`, which must outlive the event loop.
void cerrarConSenales(QWidget* ventana);

}  // namespace app
