#include "app/ventana_principal.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <mutex>
#include <set>

#include "app/combo_busqueda.h"
#include "app/dialogo_acceso.h"
#include "app/puente_corrida.h"
#include "engine/bitacora.h"
#include "engine/registro.h"
#include "handlers/catalogo.h"
#include "screens/manejo_errores.h"
#include "screens/pantallas.h"

namespace app {

// The registry notice may come from the run's thread, once for every log
// line: it is shown on the window's thread, and a text already waiting to be
// shown is not queued again.
class AvisosRegistro : public engine::Notificador, public std::enable_shared_from_this<AvisosRegistro> {
public:
    explicit AvisosRegistro(VentanaPrincipal* ventana) : ventana_(ventana) {}

    void avisar(const std::string& mensaje) override {
        {
            std::lock_guard<std::mutex> cerrojo(mutex_);
            if (!enEspera_.insert(mensaje).second) return;
        }
        QMetaObject::invokeMethod(
            qApp,
            [yo = shared_from_this(), mensaje] {
                if (yo->ventana_) yo->ventana_->mostrarMensaje(QString::fromStdString(mensaje));
                std::lock_guard<std::mutex> cerrojo(yo->mutex_);
                yo->enEspera_.erase(mensaje);
            },
            Qt::QueuedConnection);
    }

private:
    QPointer<VentanaPrincipal> ventana_;  // used on the window's thread only
    std::mutex mutex_;
    std::set<std::string> enEspera_;
};

namespace {

QLabel* etiqueta(const char* nombre, const char* texto, QWidget* padre) {
    auto* l = new QLabel(QString::fromUtf8(texto), padre);
    l->setObjectName(nombre);
    return l;
}

QLineEdit* edicion(const char* nombre, const char* texto, QWidget* padre) {
    auto* e = new QLineEdit(QString::fromUtf8(texto), padre);
    e->setObjectName(nombre);
    return e;
}

QPushButton* boton(const char* nombre, const char* texto, QStyle::StandardPixmap icono, QWidget* padre) {
    auto* b = new QPushButton(padre->style()->standardIcon(icono), QString::fromUtf8(texto), padre);
    b->setObjectName(nombre);
    b->setAutoDefault(false);
    return b;
}

// Hidden controls keep their place, so the window does not jump when a run
// shows them.
void guardarLugar(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

}  // namespace

VentanaPrincipal::VentanaPrincipal(OpcionesVentana opciones, QWidget* padre)
    : QWidget(padre), opciones_(std::move(opciones)), avisos_(std::make_shared<AvisosRegistro>(this)) {
    if (opciones_.directorio) {
        directorio_ = opciones_.directorio;
    } else {
        directorio_ = [avisos = avisos_] { return engine::diraplicacion(avisos.get()); };
    }
    if (!opciones_.acceso) {
        opciones_.acceso = [directorio = directorio_](QWidget* padre, engine::Sesion& sesion) {
            DialogoAcceso dialogo(sesion, directorio, padre);
            return dialogo.exec() == QDialog::Accepted;
        };
    }
    if (!opciones_.presentarMensaje) {
        opciones_.presentarMensaje = [](QWidget* padre, const QString& texto) {
            QMessageBox::information(padre, QApplication::applicationDisplayName(), texto);
        };
    }
    screens::ManejoErrores::fijarDirectorio(directorio_);

    construirControles();
    puente_ = new PuenteCorrida(this);
    corrida_ = std::make_unique<engine::Corrida>(sesion_.DbCia, sesion_.DBEnvio, handlers::catalogoCompleto(), *puente_,
                                                 directorio_);
    conectarPuente();
    Timer1->start();
}

VentanaPrincipal::~VentanaPrincipal() {
    if (hilo_) {
        corrida_->solicitarDetencion();
        hilo_->wait();
        delete hilo_;
    }
}

void VentanaPrincipal::construirControles() {
    setObjectName("FPrincipal");
    setWindowTitle(QString::fromUtf8("Envío de información"));

    SerOri1 = new QComboBox(this);
    SerOri1->setObjectName("SerOri1");
    SerOri1->setEditable(true);
    SerOri1->lineEdit()->setReadOnly(true);
    SerOri1->setFocusPolicy(Qt::NoFocus);
    SerOri1->setMinimumContentsLength(16);
    Label1 = etiqueta("Label1", "Compañía Local:", this);
    LCiaOri = new ComboBusqueda({QString::fromUtf8("Código"), QString::fromUtf8("Nombre")}, 1, this);
    LCiaOri->setObjectName("LCiaOri");
    LCiaOri->setMinimumContentsLength(24);
    Label1->setBuddy(LCiaOri);

    Label12 = etiqueta("Label12", "Agencia:", this);
    CboAgencia = new QComboBox(this);
    CboAgencia->setObjectName("CboAgencia");
    CboAgencia->setMaxVisibleItems(4);
    CboAgencia->setStyleSheet("combobox-popup: 0;");  // styles that open the list over the box ignore the 4 rows
    Label12->setBuddy(CboAgencia);

    Label6 = etiqueta("Label6", "Ultima actualización:", this);
    EUltenvio = edicion("EUltenvio", "", this);
    EUltenvio->setReadOnly(true);
    EUltenvio->setFocusPolicy(Qt::ClickFocus);

    Label7 = etiqueta("Label7", "Prefijo a enviar:", this);
    Pref = edicion("Pref", "", this);
    Label7->setBuddy(Pref);

    Label2 = etiqueta("Label2", "Operaciones a enviar:", this);
    NroOp = edicion("NroOp", "100", this);
    NroOp->setValidator(new QIntValidator(0, 999999, NroOp));
    Label2->setBuddy(NroOp);

    Label3 = etiqueta("Label3", "Frecuencia actualización:", this);
    Minut = edicion("Minut", "1", this);
    Minut->setValidator(new QIntValidator(0, 99999, Minut));
    Label4 = etiqueta("Label4", "minutos", this);
    Label3->setBuddy(Minut);
    for (QLineEdit* corto : {NroOp, Minut}) corto->setMaximumWidth(fontMetrics().horizontalAdvance("0000000") + 16);

    ckreciente = new QCheckBox(QString::fromUtf8("Enviar lo más reciente primero"), this);
    ckreciente->setObjectName("ckreciente");
    CkError = new QCheckBox(QString::fromUtf8("No reintentar errores"), this);
    CkError->setObjectName("CkError");

    Label8 = etiqueta("Label8", "Ultimo error:", this);
    Label8->setWordWrap(true);
    Label8->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Edit1 = edicion("Edit1", "", this);
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::ClickFocus);
    Edit1->hide();
    guardarLugar(Edit1);

    Panel3 = new QFrame(this);
    Panel3->setObjectName("Panel3");
    Panel3->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    leyendaPanel3_ = new QLabel(Panel3);
    leyendaPanel3_->setObjectName("Panel3Leyenda");
    leyendaPanel3_->setAlignment(Qt::AlignCenter);
    ProgressBar1 = new QProgressBar(Panel3);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    auto* panel = new QVBoxLayout(Panel3);
    panel->addWidget(leyendaPanel3_);
    panel->addWidget(ProgressBar1);
    Panel3->hide();
    guardarLugar(Panel3);

    PngSpeedButton1 = boton("PngSpeedButton1", "Mensajes error", QStyle::SP_MessageBoxWarning, this);
    PngSpeedButton2 = boton("PngSpeedButton2", "Compañías", QStyle::SP_DriveNetIcon, this);
    PngSpeedButton3 = boton("PngSpeedButton3", "Pendientes", QStyle::SP_FileDialogDetailedView, this);
    PngSpeedButton4 = boton("PngSpeedButton4", "Conf. Documentos", QStyle::SP_FileDialogContentsView, this);
    SpeedButton1 = boton("SpeedButton1", "Enviar", QStyle::SP_ArrowForward, this);
    SpeedButton2 = boton("SpeedButton2", "Cancelar", QStyle::SP_DialogCloseButton, this);
    Label5 = etiqueta("Label5", "Rev:2016/11/22", this);
    Label5->setEnabled(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(engine::Corrida::kIntervaloInicialMs);

    // Settings on the left, one per row; the run's state below them.
    auto* rejilla = new QGridLayout;
    rejilla->addWidget(Label1, 0, 0);
    auto* origen = new QHBoxLayout;
    origen->addWidget(SerOri1, 2);
    origen->addWidget(LCiaOri, 3);
    rejilla->addLayout(origen, 0, 1, 1, 3);
    rejilla->addWidget(Label12, 1, 0);
    rejilla->addWidget(CboAgencia, 1, 1, 1, 3);
    rejilla->addWidget(Label6, 2, 0);
    rejilla->addWidget(EUltenvio, 2, 1, 1, 3);
    rejilla->addWidget(Label7, 3, 0);
    rejilla->addWidget(Pref, 3, 1, 1, 3);
    rejilla->addWidget(Label2, 4, 0);
    rejilla->addWidget(NroOp, 4, 1);
    rejilla->addWidget(Label3, 5, 0);
    rejilla->addWidget(Minut, 5, 1);
    rejilla->addWidget(Label4, 5, 2);
    rejilla->addWidget(ckreciente, 6, 1, 1, 3);
    rejilla->addWidget(CkError, 7, 1, 1, 3);
    rejilla->setColumnStretch(3, 1);

    auto* pantallas = new QHBoxLayout;
    for (QPushButton* b : {PngSpeedButton1, PngSpeedButton2, PngSpeedButton3, PngSpeedButton4}) pantallas->addWidget(b);

    auto* pie = new QHBoxLayout;
    pie->addWidget(Label5);
    pie->addStretch(1);
    pie->addWidget(SpeedButton1);
    pie->addWidget(SpeedButton2);

    auto* todo = new QVBoxLayout(this);
    todo->addLayout(rejilla);
    todo->addWidget(Label8);
    todo->addWidget(Edit1);
    todo->addWidget(Panel3);
    todo->addLayout(pantallas);
    todo->addLayout(pie);

    QWidget* orden[] = {LCiaOri,         CboAgencia,      Pref,           NroOp,        Minut,
                        ckreciente,      CkError,         SpeedButton1,   SpeedButton2, PngSpeedButton1,
                        PngSpeedButton2, PngSpeedButton3, PngSpeedButton4};
    for (size_t i = 1; i < std::size(orden); ++i) setTabOrder(orden[i - 1], orden[i]);
    LCiaOri->setFocus();

    connect(SerOri1, &QComboBox::currentTextChanged, this, &VentanaPrincipal::SerOri1Change);
    connect(LCiaOri, &QComboBox::currentIndexChanged, this, &VentanaPrincipal::LCiaOriChange);
    connect(SpeedButton1, &QPushButton::clicked, this, &VentanaPrincipal::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &VentanaPrincipal::SpeedButton2Click);
    connect(PngSpeedButton1, &QPushButton::clicked, this, &VentanaPrincipal::PngSpeedButton1Click);
    connect(PngSpeedButton2, &QPushButton::clicked, this, &VentanaPrincipal::PngSpeedButton2Click);
    connect(PngSpeedButton3, &QPushButton::clicked, this, &VentanaPrincipal::PngSpeedButton3Click);
    connect(PngSpeedButton4, &QPushButton::clicked, this, &VentanaPrincipal::PngSpeedButton4Click);
    connect(Timer1, &QTimer::timeout, this, &VentanaPrincipal::Timer1Timer);
}

void VentanaPrincipal::conectarPuente() {
    const auto enCola = Qt::QueuedConnection;
    connect(puente_, &PuenteCorrida::leyendaCambiada, leyendaPanel3_, &QLabel::setText, enCola);
    connect(puente_, &PuenteCorrida::panelProgresoVisible, Panel3, &QWidget::setVisible, enCola);
    connect(
        puente_, &PuenteCorrida::progresoCambiado, this,
        [this](int maximo, int posicion) {
            ProgressBar1->setRange(0, maximo);
            ProgressBar1->setValue(posicion);
        },
        enCola);
    connect(puente_, &PuenteCorrida::lineaEventoCambiada, Edit1, &QLineEdit::setText, enCola);
    connect(puente_, &PuenteCorrida::lineaEventoMostrada, Edit1, &QWidget::setVisible, enCola);
    connect(puente_, &PuenteCorrida::ultimaReplicacionCambiada, EUltenvio, &QLineEdit::setText, enCola);
    connect(
        puente_, &PuenteCorrida::botonMensajesHabilitado, this,
        [this](bool habilitado) {
            mensajesHabilitado_ = habilitado;
            actualizarBotones();
        },
        enCola);
    connect(puente_, &PuenteCorrida::ultimoErrorCambiado, Label8, &QLabel::setText, enCola);
    connect(
        puente_, &PuenteCorrida::temporizadorCambiado, this,
        [this](bool activo, int intervaloMs) {
            Timer1->setInterval(intervaloMs);
            if (activo)
                Timer1->start();
            else
                Timer1->stop();
        },
        enCola);
    connect(puente_, &PuenteCorrida::cantidadOperacionesCambiada, NroOp, &QLineEdit::setText, enCola);
    connect(puente_, &PuenteCorrida::mensajeRecibido, this, &VentanaPrincipal::mostrarMensaje, enCola);
    connect(
        puente_, &PuenteCorrida::pitidoPedido, this, [] { QApplication::beep(); }, enCola);
}

// --- Start-up ---------------------------------------------------------------------

void VentanaPrincipal::solicitarActivacion() {
    if (primeraActivacion_) QMetaObject::invokeMethod(this, &VentanaPrincipal::FormActivate, Qt::QueuedConnection);
}

void VentanaPrincipal::showEvent(QShowEvent* evento) {
    QWidget::showEvent(evento);
    // Without a window manager a window may never be activated: showing it
    // counts as its first activation too.
    solicitarActivacion();
}

void VentanaPrincipal::changeEvent(QEvent* evento) {
    QWidget::changeEvent(evento);
    if (evento->type() == QEvent::ActivationChange && isActiveWindow()) solicitarActivacion();
}

void VentanaPrincipal::FormActivate() {
    if (!primeraActivacion_) return;
    primeraActivacion_ = false;
    // The arguments carry the password in plain text: they are not kept.
    const QStringList argumentos = std::exchange(opciones_.argumentos, {});
    auto argumento = [&](int i) { return i < argumentos.size() ? argumentos[i].toStdString() : std::string(); };
    const bool desatendido = !argumento(3).empty();

    if (desatendido) {
        const bool conectado = screens::protegido(this, [&] {
            sesion_.conectarGeneral(argumento(0), argumento(1), argumento(2));
            sesion_.fijarIngreso(argumento(0), argumento(1), argumento(2));
        });
        // The error has been shown; the window stays, without a login.
        if (!conectado) return;
    } else {
        bool entro = false;
        screens::protegido(this, [&] { entro = opciones_.acceso(this, sesion_); });
        if (!entro) {
            close();
            return;
        }
    }
    screens::ManejoErrores::fijarUsuario(sesion_.ingreso().usuario);

    // A failure of the company list or of the company change ends here: the
    // unattended run does not start.
    screens::protegido(this, [&] {
        {
            const QSignalBlocker bloqueo(SerOri1);
            SerOri1->clear();
            SerOri1->addItem(QString::fromStdString(sesion_.ingreso().servidor));
            SerOri1->setCurrentIndex(0);
        }
        cargarCompanias();
        if (!desatendido) return;
        {
            const QSignalBlocker bloqueo(LCiaOri);
            LCiaOri->fijarValorClave(QString::fromStdString(argumento(3)));
        }
        cambiarCompania();
        if (!argumento(4).empty()) ckreciente->setChecked(true);
        iniciarCorrida();
    });
}

void VentanaPrincipal::SerOri1Change() {
    screens::protegido(this, [this] { cargarCompanias(); });
}

void VentanaPrincipal::cargarCompanias() {
    QList<QStringList> filas;
    for (const engine::CompaniaGeneral& c : sesion_.companias())
        filas.push_back({QString::fromStdString(c.codigo), QString::fromStdString(c.nombre)});
    LCiaOri->fijarFilas(filas);
}

void VentanaPrincipal::LCiaOriChange() {
    screens::protegido(this, [this] { cambiarCompania(); });
}

void VentanaPrincipal::cambiarCompania() {
    // The local connection belongs to the run while one works.
    if (trabajando_ || LCiaOri->currentIndex() < 0) return;
    const std::vector<std::string> agencias = sesion_.elegirCompania(LCiaOri->valorClave().toStdString());
    CboAgencia->clear();
    for (const std::string& a : agencias) CboAgencia->addItem(QString::fromStdString(a));
    CboAgencia->setCurrentIndex(0);
}

// --- Runs -------------------------------------------------------------------------

engine::AjustesCorrida VentanaPrincipal::ajustesDeVentana() const {
    engine::AjustesCorrida a;
    a.companiaLocal = LCiaOri->valorClave().toStdString();
    a.operaciones = NroOp->text().toStdString();
    a.recientePrimero = ckreciente->isChecked();
    a.noReintentarErrores = CkError->isChecked();
    a.prefijo = Pref->text().toStdString();
    a.minutos = Minut->text().toStdString();
    a.agencia = CboAgencia->currentText().toStdString();
    return a;
}

void VentanaPrincipal::SpeedButton1Click() {
    screens::protegido(this, [this] { iniciarCorrida(); });
}

void VentanaPrincipal::Timer1Timer() {
    // A screen or a box is open over the window: it may be using the local
    // connection, and an agent left alone must not pile up boxes. The next
    // tick tries again.
    if (QApplication::activeModalWidget()) return;
    screens::protegido(this, [this] { iniciarCorrida(); });
}

void VentanaPrincipal::iniciarCorrida() {
    if (trabajando_ || cerrando_ || terminado_) return;
    trabajando_ = true;
    actualizarBotones();
    const engine::AjustesCorrida ajustes = ajustesDeVentana();
    hilo_ = QThread::create([this, ajustes] { resumen_ = corrida_->ejecutar(ajustes); });
    hilo_->setObjectName("corrida");
    connect(hilo_, &QThread::finished, this, &VentanaPrincipal::alTerminarCorrida, Qt::QueuedConnection);
    hilo_->start();
    emit corridaIniciada();
}

void VentanaPrincipal::alTerminarCorrida() {
    hilo_->wait();
    delete hilo_;
    hilo_ = nullptr;
    const engine::ResumenCorrida resumen = resumen_;
    trabajando_ = false;
    // The current-event line and the panel belong to the run only.
    Edit1->hide();
    Panel3->hide();
    actualizarBotones();

    const QStringList mensajes = std::exchange(mensajesPendientes_, {});
    if (!cerrando_) {
        for (const QString& m : mensajes) opciones_.presentarMensaje(this, m);
        if (resumen.terminoConError && !resumen.silencioso) screens::ManejoErrores::informar(this, resumen.error);
    } else if (resumen.terminoConError && !resumen.silencioso) {
        // Nobody is left to read a box: the log keeps the error.
        try {
            engine::registrarError(directorio_(), sesion_.ingreso().usuario, resumen.error);
        } catch (const std::exception&) {
        }
    }

    emit corridaFinalizada();
    if (cerrando_) close();
}

void VentanaPrincipal::mostrarMensaje(const QString& texto) {
    if (trabajando_) {
        if (!mensajesPendientes_.contains(texto)) mensajesPendientes_.push_back(texto);
        return;
    }
    opciones_.presentarMensaje(this, texto);
}

void VentanaPrincipal::actualizarBotones() {
    const bool libre = !trabajando_ && !cerrando_;
    SpeedButton1->setEnabled(libre);
    PngSpeedButton1->setEnabled(libre && mensajesHabilitado_);
    for (QPushButton* b : {PngSpeedButton2, PngSpeedButton3, PngSpeedButton4}) b->setEnabled(libre);
    LCiaOri->setEnabled(libre);
    SpeedButton2->setEnabled(!cerrando_);
}

// --- Screens and closing ----------------------------------------------------------

void VentanaPrincipal::abrirPantalla(void (*mostrar)(QWidget*, db::Conexion&)) {
    if (trabajando_ || cerrando_) return;
    screens::protegido(this, [&] { mostrar(this, sesion_.DbCia); });
}

void VentanaPrincipal::PngSpeedButton1Click() { abrirPantalla(&screens::mostrarMensajesError); }
void VentanaPrincipal::PngSpeedButton2Click() { abrirPantalla(&screens::mostrarCompanias); }
void VentanaPrincipal::PngSpeedButton3Click() { abrirPantalla(&screens::mostrarPendientes); }
void VentanaPrincipal::PngSpeedButton4Click() { abrirPantalla(&screens::mostrarConfDocumentos); }

void VentanaPrincipal::SpeedButton2Click() { close(); }

void VentanaPrincipal::closeEvent(QCloseEvent* evento) {
    if (trabajando_) {
        // The event in progress finishes; the window closes when the run ends.
        cerrando_ = true;
        corrida_->solicitarDetencion();
        actualizarBotones();
        evento->ignore();
        return;
    }
    Timer1->stop();
    evento->accept();
    if (!terminado_) {
        terminado_ = true;
        emit programaTerminado();
    }
}

}  // namespace app
