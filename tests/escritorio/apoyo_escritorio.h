// Support for the desktop suites: what the error handler and the window
// showed, a gate that holds a run at its first event, and waits that keep
// the event loop turning.
#pragma once

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "db/conexion.h"

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(" | ").toStdString() << ']'; }

namespace pruebas {

// Turns the event loop until `condicion` holds or `ms` pass.
bool esperarHasta(const std::function<bool()>& condicion, int ms = 20000);

// Boxes the desktop would have shown. ManejoErrores' boxes land in
// `errores` once instalar() has run.
struct Presentado {
    QStringList errores, mensajes;
    static Presentado& instancia();
    void instalar();
    void limpiar();
};

// Holds the thread that asks for the directory (a run writing its first log
// line) until abrir(). Calls from the event loop's thread pass at once.
class Compuerta {
public:
    void armar();
    void abrir();
    bool alcanzada();
    void pasar();  // called by the directory function

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool armada_ = false, alcanzada_ = false, abierta_ = false;
};

// The general database at `ubicacion` with the given companies (code, name).
void crearGeneral(const std::string& ubicacion, const std::vector<std::pair<std::string, std::string>>& companias);

// INI file that stands in for the registry, pointing at `directorio`; sets
// REPLICADOR_REGISTRO to it.
void fijarRegistro(const std::string& archivo, const std::string& directorio);

// Lines of a text file without their line ends.
std::vector<std::string> lineas(const std::string& ruta);
// The fields of an ERRORES.TXT line: date, time, user, message.
std::vector<std::string> camposDeError(const std::string& linea);

}  // namespace pruebas
