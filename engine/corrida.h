// One replication run: prologue, phase A (apply the peer's events for the
// local company to the local database), phase B (apply the local events to
// each destination company's database), epilogue (re-arm the timer).
//
// The run is single-threaded and uses its two connections only while it
// works. Every write one event makes on the target is one transaction: a
// failed event leaves the target as it was, and the event is stamped only
// after the target's commit.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "db/conexion.h"
#include "engine/catalogo.h"
#include "engine/evento.h"

namespace engine {

// What the run reads from the front end's fields.
struct AjustesCorrida {
    std::string companiaLocal;       // code of the local company; empty: no run
    std::string operaciones = "100"; // events selected per queue; empty becomes "80"
    bool recientePrimero = false;
    bool noReintentarErrores = false;
    std::string prefijo;             // phase B prefix filter
    std::string minutos = "1";       // between timed runs
    std::string agencia;             // phase B agency filter by name; "" or "Todas": none
};

extern const char* const kAgenciaTodas;  // "Todas"

enum class ResultadoEvento { Estampado, Fallido, Omitido };

struct ResumenCorrida {
    bool iniciada = false;  // false: no company chosen, or a run was already working
    int estampados = 0, fallidos = 0, omitidos = 0;
    int conexionesFallidas = 0;
    bool terminoConError = false;  // the run ended early on an error
    bool silencioso = false;       // ... already reported (a row that could not be posted)
    bool detenida = false;         // stopped on request before the end
    std::string error;             // the client's message, or the error's text
    std::string detalle;           // with the failing statement, for logs
    int intervaloMs = 0;           // timer interval after the run
};

// Reports of the run, for a window or a terminal. Called on the run's
// thread; every method has an empty default.
class ObservadorCorrida {
public:
    virtual ~ObservadorCorrida() = default;
    virtual void leyenda(const std::string& texto) {}
    virtual void panelProgreso(bool visible) {}
    virtual void progreso(int maximo, int posicion) {}
    virtual void lineaEvento(const std::string& texto) {}
    virtual void lineaEventoVisible(bool visible) {}
    virtual void ultimaReplicacion(const std::string& texto) {}
    virtual void mensajesErrorHabilitado(bool habilitado) {}
    virtual void ultimoError(const std::string& texto) {}
    virtual void temporizador(bool activo, int intervaloMs) {}
    virtual void cantidadOperaciones(const std::string& texto) {}
    virtual void mensaje(const std::string& texto) {}
    virtual void pitido() {}
    virtual void eventoProcesado(const Evento& evento, ResultadoEvento resultado) {}
    virtual void corridaTerminada(const ResumenCorrida& resumen) {}
};

class Corrida {
public:
    static constexpr int kIntervaloInicialMs = 1800000;

    // `local` is the company connection set up by the company change; `par`
    // is pointed at each peer by the run. `directorio` answers the agent's
    // directory each time a log line is written.
    Corrida(db::Conexion& local, db::Conexion& par, const Catalogo& catalogo, ObservadorCorrida& observador,
            std::function<std::string()> directorio);

    // Runs once. A call while a run works does nothing and answers a summary
    // with iniciada == false. Never throws: an error ends the run and is in
    // the summary (and in the event being processed).
    ResumenCorrida ejecutar(AjustesCorrida ajustes);
    bool trabajando() const { return trabajando_; }
    // Asks a working run to stop after the event in progress (any thread).
    // The run then skips what is left and ends as usual; the request is
    // cleared when the next run starts.
    void solicitarDetencion() { detener_ = true; }
    // The timer interval the run set last (kIntervaloInicialMs before any).
    int intervaloMs() const { return intervalo_; }

private:
    void prologo(const AjustesCorrida& a);
    void faseA(AjustesCorrida& a);
    void faseB(AjustesCorrida& a);
    bool conectarPar(const std::string& servidor, const std::string& compania);
    void procesarCola(cola::Fase fase, db::Conexion& origen, db::Conexion& destino, AjustesCorrida& a,
                      const std::string& compania);
    bool saltarPorAgencia(const Evento& e);
    void manejarError(const std::string& mensaje);
    void mostrarUltimaReplicacion(bool actualizarBoton);

    db::Conexion& local_;
    db::Conexion& par_;
    const Catalogo& catalogo_;
    ObservadorCorrida& obs_;
    std::function<std::string()> directorio_;
    std::atomic<bool> trabajando_{false};
    std::atomic<bool> detener_{false};
    int intervalo_ = kIntervaloInicialMs;

    // State of the run in progress.
    ResumenCorrida resumen_;
    EstadoCorrida estado_;
    db::CapturaErrores captura_;
    std::optional<Evento> actual_;  // a copy: it must outlive the queue's rows on an error
    db::Conexion* colaActual_ = nullptr;
    bool filtrarAgencia_ = false;
    int64_t agenciaId_ = 0;
};

}  // namespace engine
