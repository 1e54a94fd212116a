// "Envío de información": the agent's main window. It owns the session (the
// three connections and the login values), starts replication runs from the
// "Enviar" button, its timer and the unattended start, and opens the four
// screens.
//
// A run works on its own thread; its reports reach the window as queued
// signals, so the window keeps painting and answering while it works.
// While a run works nothing else starts: "Enviar" and the screen buttons are
// disabled and a timer tick does nothing. Closing the window during a run
// lets the event in progress finish, then the window closes. Every action
// reports what it throws through screens::ManejoErrores.
#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "engine/corrida.h"
#include "engine/sesion.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QThread;
class QTimer;

namespace app {

class AvisosRegistro;
class ComboBusqueda;
class PuenteCorrida;

struct OpcionesVentana {
    // Positional arguments 1 to 5: server location, user, password, company
    // code (a non-empty code starts unattended), newest first (any text).
    QStringList argumentos;
    // Shows the login dialog modally over `padre`; true when it ended with a
    // successful login (the session then holds the login values). Empty:
    // DialogoAcceso.
    std::function<bool(QWidget* padre, engine::Sesion& sesion)> acceso;
    // The agent's directory, asked for every log line, from any thread.
    // Empty: the registry value, with its notice shown by the window.
    std::function<std::string()> directorio;
    // Shows a plain message. Empty: an information box.
    std::function<void(QWidget* padre, const QString& texto)> presentarMensaje;
};

class VentanaPrincipal : public QWidget {
    Q_OBJECT
public:
    explicit VentanaPrincipal(OpcionesVentana opciones, QWidget* padre = nullptr);
    // Waits for a run still working (asked to stop after its current event).
    ~VentanaPrincipal() override;

    engine::Sesion& sesion() { return sesion_; }
    bool trabajando() const { return trabajando_; }

public slots:
    // Acts on the first activation only: the unattended set-up and run, or
    // the login dialog (a failed login ends the program).
    void FormActivate();
    void SerOri1Change();
    void LCiaOriChange();
    void SpeedButton1Click();  // "Enviar": starts a run unless one works
    void SpeedButton2Click();  // "Cancelar"
    void Timer1Timer();
    void PngSpeedButton1Click();
    void PngSpeedButton2Click();
    void PngSpeedButton3Click();
    void PngSpeedButton4Click();

signals:
    void corridaIniciada();
    // The run has ended and what it had to say has been shown.
    void corridaFinalizada();
    // The window closed for good: the program ends.
    void programaTerminado();

protected:
    void showEvent(QShowEvent* evento) override;
    void changeEvent(QEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    friend class AvisosRegistro;

    void construirControles();
    void conectarPuente();
    void cargarCompanias();  // throws
    void cambiarCompania();  // throws
    void iniciarCorrida();
    void alTerminarCorrida();
    engine::AjustesCorrida ajustesDeVentana() const;
    void actualizarBotones();
    void abrirPantalla(void (*mostrar)(QWidget*, db::Conexion&));
    void mostrarMensaje(const QString& texto);  // now, or after the run
    void solicitarActivacion();

    OpcionesVentana opciones_;
    std::shared_ptr<AvisosRegistro> avisos_;
    std::function<std::string()> directorio_;
    engine::Sesion sesion_;
    PuenteCorrida* puente_;
    std::unique_ptr<engine::Corrida> corrida_;
    QThread* hilo_ = nullptr;
    engine::ResumenCorrida resumen_;  // written by the run's thread until it ends

    bool primeraActivacion_ = true;
    bool trabajando_ = false;
    bool cerrando_ = false;  // closed during a run: close when it ends
    bool terminado_ = false;
    bool mensajesHabilitado_ = true;
    QStringList mensajesPendientes_;

    QComboBox* SerOri1;
    QLabel* Label1;
    ComboBusqueda* LCiaOri;
    QLabel* Label12;
    QComboBox* CboAgencia;
    QLabel* Label6;
    QLineEdit* EUltenvio;
    QLabel* Label7;
    QLineEdit* Pref;
    QLabel* Label2;
    QLineEdit* NroOp;
    QLabel *Label3, *Label4;
    QLineEdit* Minut;
    QCheckBox* ckreciente;
    QCheckBox* CkError;
    QLabel* Label8;
    QPushButton *PngSpeedButton1, *PngSpeedButton2, *PngSpeedButton3, *PngSpeedButton4;
    QPushButton *SpeedButton1, *SpeedButton2;
    QLabel* Label5;
    QLineEdit* Edit1;
    QFrame* Panel3;
    QLabel* leyendaPanel3_;
    QProgressBar* ProgressBar1;
    QTimer* Timer1;
};

}  // namespace app
