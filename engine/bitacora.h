// The agent's text logs and the message shown for an error. Every line is
// written with its own open, append and close (CR LF at the end), so another
// program can read the files between lines; they are never truncated.
#pragma once

#include <string>

namespace engine {

extern const char* const kArchivoEnvio;         // run log
extern const char* const kArchivoErrorEnvio;    // failed peer connections
extern const char* const kArchivoErrores;       // errors shown to the operator

// Appends `linea` + CR LF to `ruta`, creating the file when it does not
// exist. Throws std::runtime_error naming the file when it cannot write.
void escribirLinea(const std::string& ruta, const std::string& linea);

// Run-log line: date,time,event id,event type,document.
void archivo_auditoria(const std::string& directorio, const std::string& idEvento, const std::string& tipoEvento,
                       const std::string& documento);

// Writes the connection-failure line and answers the text of the main
// window's last-error label ("Ult. error:" + date + ":" + time + ...).
std::string registrarFalloConexion(const std::string& directorio, const std::string& nombreBase);

// Error-log line: date,time,login user,message (line breaks of a multi-line
// client message become blanks, so one error stays one line).
void registrarError(const std::string& directorio, const std::string& usuario, const std::string& mensaje);

// The message the operator sees for an error, chosen by its text.
std::string mensajeParaUsuario(const std::string& mensajeError);

}  // namespace engine
