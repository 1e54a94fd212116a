// Two or three company databases that replicate with each other, a general
// database, the agent's directory for logs, and a run over them, as the
// engine tests and the command-line tests need them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "apoyo/bases_prueba.h"
#include "db/conjunto_filas.h"
#include "engine/corrida.h"
#include "schema/demo.h"

namespace pruebas {

// Every report of a run, for assertions.
class ObservadorRegistro : public engine::ObservadorCorrida {
public:
    std::vector<std::string> leyendas, lineas, ultimosErrores, mensajes, ultimasReplicaciones;
    std::vector<std::pair<int, int>> progresos;
    std::vector<std::pair<bool, int>> temporizadores;
    std::vector<bool> botonMensajes;
    std::map<int64_t, engine::ResultadoEvento> resultados;
    int pitidos = 0, terminadas = 0;

    void leyenda(const std::string& t) override { leyendas.push_back(t); }
    void progreso(int m, int p) override { progresos.push_back({m, p}); }
    void lineaEvento(const std::string& t) override { lineas.push_back(t); }
    void ultimaReplicacion(const std::string& t) override { ultimasReplicaciones.push_back(t); }
    void mensajesErrorHabilitado(bool h) override { botonMensajes.push_back(h); }
    void ultimoError(const std::string& t) override { ultimosErrores.push_back(t); }
    void temporizador(bool a, int ms) override { temporizadores.push_back({a, ms}); }
    void mensaje(const std::string& t) override { mensajes.push_back(t); }
    void pitido() override { ++pitidos; }
    void eventoProcesado(const engine::Evento& e, engine::ResultadoEvento r) override { resultados[e.id] = r; }
    void corridaTerminada(const engine::ResumenCorrida&) override { ++terminadas; }
};

class Replicacion : public ::testing::Test {
protected:
    // Companies 001 and 002, each with an active replication row for the
    // other; 003 exists but nobody points at it unless a test says so.
    void SetUp() override;
    void TearDown() override;

    std::string ubicacion() const { return prefijoServidor() + carpeta.ruta(); }
    std::string directorio() const { return carpeta.ruta() + "/agente"; }
    db::Conexion& cia(const std::string& codigo) { return *companias.at(codigo); }

    // One run of company 001 (or `local`) with the given settings.
    engine::ResumenCorrida correr(engine::AjustesCorrida a = {});

    // The whole table as text rows, for "exactly as before" comparisons.
    std::vector<std::string> volcado(db::Conexion& c, const std::string& consulta);
    // RPEV_FECREP IS NULL?
    bool pendiente(db::Conexion& c, int64_t idEvento);
    std::string errorDeEvento(db::Conexion& c, int64_t idEvento);
    std::vector<std::string> lineasArchivo(const std::string& nombre);

    CarpetaTemporal carpeta;
    std::map<std::string, std::unique_ptr<db::Conexion>> companias;
    db::Conexion local, par;
    ObservadorRegistro observador;
    std::unique_ptr<engine::Corrida> corrida;
};

}  // namespace pruebas
