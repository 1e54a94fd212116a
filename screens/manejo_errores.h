// The desktop's one place for errors that escape an action: it appends the
// ERRORES.TXT line, shows the message chosen for the error in an error box
// with OK, and beeps. A silent abort (already reported) shows nothing.
// Qt does not carry C++ exceptions through its event loop, so every slot,
// timer tick and dialog action runs its body through protegido().
#pragma once

#include <QWidget>

#include <exception>
#include <functional>
#include <string>

namespace screens {

class ManejoErrores {
public:
    // Login user for the log line (empty before the login) and the agent's
    // directory, read each time a line is written.
    static void fijarUsuario(const std::string& usuario);
    static void fijarDirectorio(std::function<std::string()> directorio);
    // Replaces the message box, for tests: receives the text that would be shown.
    static void fijarPresentador(std::function<void(QWidget*, const QString&)> presentador);

    // Logs and shows `mensajeError` (the client's own text).
    static void informar(QWidget* padre, const std::string& mensajeError);
    // The same for an exception caught by protegido().
    static void informar(QWidget* padre, std::exception_ptr error);
};

// Runs `accion`; whatever it throws ends there and is reported. Answers
// false when it threw.
bool protegido(QWidget* padre, const std::function<void()>& accion);

}  // namespace screens
