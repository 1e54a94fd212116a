#include "engine/formato.h"

#include <cstdio>
#include <ctime>

namespace engine {

namespace {

std::tm aTm(const db::Fecha& f, const db::Hora& h) {
    std::tm t{};
    t.tm_year = f.anio - 1900;
    t.tm_mon = f.mes - 1;
    t.tm_mday = f.dia ? f.dia : 1;
    t.tm_hour = h.hora;
    t.tm_min = h.minuto;
    t.tm_sec = h.segundo;
    t.tm_isdst = -1;
    return t;
}

std::string conFormato(const char* formato, const std::tm& t) {
    char b[128];
    size_t n = std::strftime(b, sizeof b, formato, &t);
    return std::string(b, n);
}

}  // namespace

Momento ahora() {
    std::time_t s = std::time(nullptr);
    std::tm t{};
    localtime_r(&s, &t);
    return {{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday}, {t.tm_hour, t.tm_min, t.tm_sec, 0}};
}

db::Fecha sumarDias(const db::Fecha& f, int dias) {
    std::tm t = aTm(f, {12, 0, 0, 0});  // midday: no daylight-saving edge moves the day
    t.tm_mday += dias;
    std::mktime(&t);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday};
}

std::string fechaSql(const db::Fecha& f) { return db::textoFecha(f); }

std::string horaSql(const db::Hora& h) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d:%02d:%02d", h.hora, h.minuto, h.segundo);
    return b;
}

std::string fechaCorta(const db::Fecha& f) { return conFormato("%x", aTm(f, {})); }
std::string horaLarga(const db::Hora& h) { return conFormato("%X", aTm({2000, 1, 1}, h)); }

}  // namespace engine
