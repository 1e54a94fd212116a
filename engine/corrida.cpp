#include "engine/corrida.h"

#include "db/errores.h"
#include "db/sql.h"
#include "engine/ajustes.h"
#include "engine/bitacora.h"

namespace engine {

const char* const kAgenciaTodas = "Todas";

namespace {

const char* const kPrimerPar = "select first 1 rpco_servidor, rpco_cod from replica_compania r WHERE rpco_activa = 'S'";

std::string textoPrimero(const db::ConjuntoFilas& r, size_t columna = 0) {
    return r.vacio() ? std::string() : r.valor(0, columna).comoTextoONulo();
}

}  // namespace

Corrida::Corrida(db::Conexion& local, db::Conexion& par, const Catalogo& catalogo, ObservadorCorrida& observador,
                 std::function<std::string()> directorio)
    : local_(local), par_(par), catalogo_(catalogo), obs_(observador), directorio_(std::move(directorio)) {
    captura_.alRechazar = [this](const std::string& m) { manejarError(m); };
    captura_.alFallarPosteo = [this](const std::string& m) { manejarError(m); };
}

void Corrida::manejarError(const std::string& mensaje) {
    if (actual_ && colaActual_) colaActual_->ejecutar(cola::guardarError(actual_->id, mensaje));
    obs_.pitido();
}

ResumenCorrida Corrida::ejecutar(AjustesCorrida a) {
    if (trabajando_.exchange(true)) return {};  // no nested runs
    detener_ = false;
    resumen_ = {};
    estado_ = {};
    actual_.reset();
    colaActual_ = nullptr;

    if (a.companiaLocal.empty()) {
        obs_.mensaje("Debe indicar la compañía de origen.");
        resumen_.intervaloMs = intervalo_;
        trabajando_ = false;
        obs_.corridaTerminada(resumen_);
        return resumen_;
    }
    resumen_.iniciada = true;
    try {
        prologo(a);
        faseA(a);
        if (!detener_) faseB(a);
        resumen_.detenida = detener_;
    } catch (const std::exception& e) {
        resumen_.terminoConError = true;
        resumen_.silencioso = dynamic_cast<const db::AbortoSilencioso*>(&e) != nullptr;
        const auto* errorBase = dynamic_cast<const db::ErrorBaseDatos*>(&e);
        resumen_.error = errorBase ? errorBase->mensaje() : e.what();
        resumen_.detalle = e.what();
        // Keep the reason on the event, so the operator sees it and "skip
        // failed" can pass over it; a posting error is already there.
        if (actual_ && colaActual_ && !resumen_.silencioso) {
            try {
                colaActual_->ejecutar(cola::guardarError(actual_->id, resumen_.error));
            } catch (const std::exception&) {
                // The queue's own connection may be what failed.
            }
        }
        actual_.reset();
        obs_.lineaEventoVisible(false);
    }

    // Epilogue, however the run ended: an unattended agent must go on.
    try {
        intervalo_ = static_cast<int>(std::stoll(db::claveNumerica(a.minutos)) * 60000);
    } catch (const std::exception&) {
        if (!resumen_.terminoConError) {
            resumen_.terminoConError = true;
            resumen_.error = "'" + a.minutos + "' no es un número entero de minutos";
            resumen_.detalle = resumen_.error;
        }
    }
    obs_.temporizador(true, intervalo_);
    obs_.panelProgreso(false);
    resumen_.intervaloMs = intervalo_;
    trabajando_ = false;
    obs_.corridaTerminada(resumen_);
    return resumen_;
}

void Corrida::mostrarUltimaReplicacion(bool actualizarBoton) {
    db::ConjuntoFilas r = local_.consultar(cola::kUltimaReplicacion);
    obs_.ultimaReplicacion(cola::textoUltimaReplicacion(r));
    if (actualizarBoton) obs_.mensajesErrorHabilitado(!r.vacio() && !r.valor(0, "RPEV_FECREP").esNulo());
}

void Corrida::prologo(const AjustesCorrida& a) {
    mostrarUltimaReplicacion(true);
    obs_.leyenda("Borrando información procesada...");
    obs_.panelProgreso(true);
    local_.ejecutar(cola::purga(ahora().fecha));

    filtrarAgencia_ = !a.agencia.empty() && a.agencia != kAgenciaTodas;
    if (filtrarAgencia_) {
        db::ConjuntoFilas r =
            local_.consultar("select sucu_id from sucursales where sucu_nombre = " + db::quoted(a.agencia));
        if (r.vacio()) throw std::runtime_error("No existe la agencia " + a.agencia);
        agenciaId_ = r.valor(0, 0).comoEntero();
    }
}

bool Corrida::conectarPar(const std::string& servidor, const std::string& compania) {
    const std::string anterior = par_.base();
    configurarPar(par_, local_, servidor, compania);
    // A peer left open by the previous run is kept only if it is the same one.
    if (par_.abierta() && par_.base() != anterior) par_.cerrar();
    try {
        par_.abrir();
        return true;
    } catch (const db::ErrorBaseDatos&) {
        ++resumen_.conexionesFallidas;
        obs_.ultimoError(registrarFalloConexion(directorio_(), par_.base()));
        par_.cerrar();
        return false;
    }
}

void Corrida::faseA(AjustesCorrida& a) {
    obs_.leyenda("Descargando información del servidor ...");
    db::ConjuntoFilas primero = local_.consultar(kPrimerPar);
    const std::string servidor = textoPrimero(primero, 0);
    if (servidor.empty()) return;
    if (!conectarPar(servidor, textoPrimero(primero, 1))) return;
    procesarCola(cola::Fase::A, par_, local_, a, a.companiaLocal);
}

void Corrida::faseB(AjustesCorrida& a) {
    db::ConjuntoFilas companias = local_.consultar(cola::kCompaniasDestino);
    for (size_t i = 0; i < companias.numFilas() && !detener_; ++i) {
        const std::string c = companias.valor(i, 0).comoTextoONulo();
        obs_.leyenda("Enviando información al servidor " + c);
        obs_.panelProgreso(true);
        obs_.temporizador(false, intervalo_);
        par_.cerrar();

        db::ConjuntoFilas servidor = local_.consultar(
            "select RPCO_SERVIDOR from REPLICA_COMPANIA where RPCO_COD = " + db::quoted(c) + " AND RPCO_ACTIVA = 'S'");
        if (textoPrimero(servidor).empty()) continue;
        if (!conectarPar(textoPrimero(servidor), c)) continue;

        estado_.fechaBloqueo = leerConfiguracion(par_, kSentenciaFechaBloqueo);
        procesarCola(cola::Fase::B, local_, par_, a, c);
        estado_.fechaBloqueo.clear();

        obs_.lineaEventoVisible(false);
        mostrarUltimaReplicacion(false);
        local_.cerrar();
        par_.cerrar();
    }
}

bool Corrida::saltarPorAgencia(const Evento& e) {
    if (!filtrarAgencia_) return false;
    db::ConjuntoFilas r = local_.consultar(cola::agenciaDelPrefijo(e));
    return !r.vacio() && !r.valor(0, 0).esNulo() && r.valor(0, 0).comoEntero() != agenciaId_;
}

void Corrida::procesarCola(cola::Fase fase, db::Conexion& origen, db::Conexion& destino, AjustesCorrida& a,
                          const std::string& compania) {
    if (a.operaciones.empty()) {
        a.operaciones = "80";
        obs_.cantidadOperaciones(a.operaciones);
    }
    std::vector<Evento> eventos = leerEventos(origen.consultar(
        cola::pendientes(fase, a.operaciones, compania, a.recientePrimero, a.noReintentarErrores)));
    const int total = static_cast<int>(eventos.size());
    obs_.progreso(total, 0);
    obs_.lineaEventoVisible(true);

    colaActual_ = &origen;
    for (int i = 0; i < total; ++i) {
        if (detener_) {
            resumen_.detenida = true;
            break;
        }
        const Evento& ev = eventos[static_cast<size_t>(i)];
        actual_ = ev;
        const std::string documento = ev.pref + ev.numero + ev.codigo;
        obs_.lineaEvento(std::to_string(ev.tipo) + "," + ev.oper + "," + ev.pref + ev.numero + "," + ev.codigo);
        archivo_auditoria(directorio_(), std::to_string(ev.id), std::to_string(ev.tipo), documento);
        estado_.limpiarEvento();
        obs_.progreso(total, i + 1);

        if (fase == cola::Fase::B && (cola::saltarPorPrefijo(a.prefijo, ev) || saltarPorAgencia(ev))) {
            ++resumen_.omitidos;
            obs_.eventoProcesado(ev, ResultadoEvento::Omitido);
            continue;
        }

        if (const Manejador* m = catalogo_.buscar(ev.tipo)) {
            db::AmbitoTransaccion ambito(destino);
            ContextoEvento ctx{ev, origen, destino, estado_, fase, captura_};
            m->aplicar(ctx);
            if (estado_.error)
                ambito.deshacer();
            else
                ambito.confirmar();
        }

        if (estado_.error) {
            ++resumen_.fallidos;
            obs_.eventoProcesado(ev, ResultadoEvento::Fallido);
        } else {
            origen.ejecutar(cola::estampar(ev.id, ahora()));
            ++resumen_.estampados;
            obs_.eventoProcesado(ev, ResultadoEvento::Estampado);
        }
    }
    actual_.reset();
    colaActual_ = nullptr;
}

}  // namespace engine
