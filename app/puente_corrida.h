// Carries the reports of a run from the run's thread to the window: every
// report becomes a signal, which the window receives queued on its own
// thread.
#pragma once

#include <QObject>
#include <QString>

#include "engine/corrida.h"

namespace app {

class PuenteCorrida : public QObject, public engine::ObservadorCorrida {
    Q_OBJECT
public:
    using QObject::QObject;

    void leyenda(const std::string& texto) override { emit leyendaCambiada(QString::fromStdString(texto)); }
    void panelProgreso(bool visible) override { emit panelProgresoVisible(visible); }
    void progreso(int maximo, int posicion) override { emit progresoCambiado(maximo, posicion); }
    void lineaEvento(const std::string& texto) override { emit lineaEventoCambiada(QString::fromStdString(texto)); }
    void lineaEventoVisible(bool visible) override { emit lineaEventoMostrada(visible); }
    void ultimaReplicacion(const std::string& texto) override {
        emit ultimaReplicacionCambiada(QString::fromStdString(texto));
    }
    void mensajesErrorHabilitado(bool habilitado) override { emit botonMensajesHabilitado(habilitado); }
    void ultimoError(const std::string& texto) override { emit ultimoErrorCambiado(QString::fromStdString(texto)); }
    void temporizador(bool activo, int intervaloMs) override { emit temporizadorCambiado(activo, intervaloMs); }
    void cantidadOperaciones(const std::string& texto) override {
        emit cantidadOperacionesCambiada(QString::fromStdString(texto));
    }
    void mensaje(const std::string& texto) override { emit mensajeRecibido(QString::fromStdString(texto)); }
    void pitido() override { emit pitidoPedido(); }

signals:
    void leyendaCambiada(const QString& texto);
    void panelProgresoVisible(bool visible);
    void progresoCambiado(int maximo, int posicion);
    void lineaEventoCambiada(const QString& texto);
    void lineaEventoMostrada(bool visible);
    void ultimaReplicacionCambiada(const QString& texto);
    void botonMensajesHabilitado(bool habilitado);
    void ultimoErrorCambiado(const QString& texto);
    void temporizadorCambiado(bool activo, int intervaloMs);
    void cantidadOperacionesCambiada(const QString& texto);
    void mensajeRecibido(const QString& texto);
    void pitidoPedido();
};

}  // namespace app
