// The agent's directory for its text files, kept in the system registry.
// On Windows it is the real registry (read-only, HKEY_LOCAL_MACHINE); on
// other systems an INI file stands in for it, with one section per key path
// ([HKEY_LOCAL_MACHINE\Software\TKM\ValdrexERP2017] with Directorio=...),
// named by the environment variable REPLICADOR_REGISTRO (default
// /etc/replicador/registro.ini).
#pragma once

#include <string>

namespace engine {

// Messages for the person at the front end (a box on the desktop, stderr on
// the command line).
class Notificador {
public:
    virtual ~Notificador() = default;
    virtual void avisar(const std::string& mensaje) = 0;
};

extern const char* const kMensajeSinClave;

// The "Directorio" value of the 2017 key, else of the 2016 key. When neither
// key exists, tells the notifier (if any) and answers the empty text.
std::string diraplicacion(Notificador* notificador);

// A file in the agent's directory, with the platform's separator.
std::string rutaEnDirectorio(const std::string& directorio, const std::string& archivo);

// The string value `valor` of HKEY_LOCAL_MACHINE + `clave`; false when the
// key cannot be opened. A missing value in an existing key answers "".
bool leerRegistro(const std::string& clave, const std::string& valor, std::string& resultado);

}  // namespace engine
