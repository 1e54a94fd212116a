// Dates and times. Statements carry ISO forms, which the database reads the
// same under every locale; what people read (logs, screens) uses the
// workstation's short date and long time formats, from the process locale
// (LC_TIME, set by the front ends with setlocale).
#pragma once

#include <string>

#include "db/valor.h"

namespace engine {

struct Momento {
    db::Fecha fecha;
    db::Hora hora;
};

Momento ahora();
db::Fecha sumarDias(const db::Fecha& f, int dias);

// For statements: 'YYYY-MM-DD' and 'HH:MM:SS' (without quotes).
std::string fechaSql(const db::Fecha& f);
std::string horaSql(const db::Hora& h);

// For people: the locale's short date (%x) and long time (%X).
std::string fechaCorta(const db::Fecha& f);
std::string horaLarga(const db::Hora& h);

}  // namespace engine
