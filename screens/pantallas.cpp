#include "screens/pantallas.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPersistentModelIndex>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "db/conjunto_filas.h"
#include "db/errores.h"
#include "db/sql.h"
#include "screens/dialogos.h"
#include "screens/manejo_errores.h"
#include "screens/pantallas_internas.h"

namespace screens {

namespace {

// Type names for a lookup column, from TIPO_DOCUMENTO of the local database.
std::vector<std::pair<int64_t, QString>> tiposDocumento(db::Conexion& local, int largo) {
    db::ConjuntoFilas r = local.consultar("select * from TIPO_DOCUMENTO");
    std::vector<std::pair<int64_t, QString>> tipos;
    for (size_t i = 0; i < r.numFilas(); ++i) {
        if (r.valor(i, "TIDO_COD").esNulo()) continue;
        tipos.push_back({r.valor(i, "TIDO_COD").comoEntero(),
                         QString::fromStdString(r.valor(i, "TIDO_NOMCORTO").comoTextoONulo()).left(largo)});
    }
    return tipos;
}

ColumnaGrilla columna(const db::ConjuntoFilas& filas, const char* nombre, const char* titulo, int ancho,
                      bool editable = false, ColumnaGrilla::Tipo tipo = ColumnaGrilla::Tipo::Texto) {
    ColumnaGrilla c;
    c.titulo = QString::fromUtf8(titulo);
    c.ancho = ancho;
    c.columnaDatos = static_cast<int>(filas.indice(nombre));
    c.editable = editable;
    c.tipo = tipo;
    return c;
}

// The error capture of the lists: no event is being replicated, so a row the
// database refuses stores nothing anywhere; the operator hears the beep and
// the error itself reaches the application-wide handler.
db::CapturaErrores capturaDePantalla() {
    return {[](const std::string&) { QApplication::beep(); }, [](const std::string&) { QApplication::beep(); }};
}

template <class Pantalla, class Forma>
void mostrar(QWidget* padre, db::Conexion& local, Forma forma) {
    protegido(padre, [&] {
        Pantalla p(local, std::move(forma), padre);
        p.exec();
    });
}

QPushButton* boton(const char* texto, const char* nombre, QWidget* padre) {
    auto* b = new QPushButton(QString::fromUtf8(texto), padre);
    b->setObjectName(nombre);
    // Enter in a filter or a cell must not press "Borrar" or "Grabar".
    b->setAutoDefault(false);
    return b;
}

bool esVentanaDe(const QWidget* ventana, const QWidget* duenia) {
    for (const QWidget* w = ventana; w; w = w->parentWidget())
        if (w == duenia) return true;
    return false;
}

void conectarMovimientos(Navegador* nav, Grilla* grilla) {
    QObject::connect(nav, &Navegador::pulsado, grilla, [grilla](int b) {
        QTableView* v = grilla->vista();
        int n = v->model()->rowCount(), actual = v->currentIndex().isValid() ? v->currentIndex().row() : 0;
        int columna = std::max(0, v->currentIndex().column());
        int destino = -1;
        if (b == Navegador::Primero) destino = 0;
        if (b == Navegador::Anterior) destino = std::max(0, actual - 1);
        if (b == Navegador::Siguiente) destino = std::min(n - 1, actual + 1);
        if (b == Navegador::Ultimo) destino = n - 1;
        if (destino >= 0 && n > 0) v->setCurrentIndex(v->model()->index(destino, columna));
    });
}

}  // namespace

QString preguntaBorrarRegistro() { return QString::fromUtf8("¿Borrar el registro?"); }

// --- Navegador -----------------------------------------------------------------

Navegador::Navegador(const std::vector<Boton>& botones, QWidget* padre) : QToolBar(padre) {
    static const char* const kNombres[] = {"navPrimero", "navAnterior", "navSiguiente", "navUltimo", "navInsertar",
                                           "navBorrar",  "navEditar",   "navGrabar",    "navCancelar", "navRefrescar"};
    static const char* const kTextos[] = {"|◀", "◀", "▶", "▶|", "+", "−", "▲", "✓", "✗", "↻"};
    static const char* const kAyudas[] = {"Primero",  "Anterior", "Siguiente", "Último",   "Insertar",
                                          "Borrar",   "Editar",   "Grabar registro", "Cancelar edición", "Refrescar"};
    for (Boton b : botones) {
        QAction* a = addAction(QString::fromUtf8(kTextos[b]));
        a->setObjectName(kNombres[b]);
        a->setToolTip(QString::fromUtf8(kAyudas[b]));
        connect(a, &QAction::triggered, this, [this, b] { emit pulsado(b); });
        acciones_[b] = a;
    }
}

// --- Event lists -----------------------------------------------------------------

FormaListaEventos formaMensajesError() {
    return {QString::fromUtf8("Mensajes de error o advertencia del envio"),
            "select * from replica_eventos r WHERE (rpev_tipo <> 236) and R.rpev_fecrep IS NULL and r.rpev_error is "
            "not null",
            true, "Erroresreplica", QSize(1052, 374), true};
}

FormaListaEventos formaPendientes() {
    return {QString::fromUtf8("Documentos pendientes por transmitir"),
            "select * from replica_eventos r WHERE (rpev_tipo <> 236) and R.rpev_fecrep IS NULL and r.rpev_error is null "
            "order by rpev_id",
            false, "Pendientesreplica", QSize(740, 374), false};
}

PantallaEventos::PantallaEventos(db::Conexion& local, FormaListaEventos forma, QWidget* padre)
    : QDialog(padre), local_(local), forma_(std::move(forma)) {
    setWindowTitle(forma_.titulo);
    resize(forma_.tamanio);
    auto* capas = new QVBoxLayout(this);
    filtros_ = new QCheckBox("Activar filtros", this);
    filtros_->setObjectName("ckFiltros");
    grilla_ = new Grilla(this);
    modelo_ = new ModeloFilas(this);
    std::vector<Navegador::Boton> botones = {Navegador::Primero, Navegador::Anterior, Navegador::Siguiente,
                                             Navegador::Ultimo};
    if (forma_.borrarEnNavegador) botones.push_back(Navegador::Borrar);
    botones.push_back(Navegador::Refrescar);
    navegador_ = new Navegador(botones, this);
    QPushButton* botonBorrar = boton("Borrar", "btnBorrar", this);
    QPushButton* botonCerrar = boton("Cerrar", "btnCerrar", this);
    auto* abajo = new QHBoxLayout;
    abajo->addWidget(botonBorrar);
    abajo->addStretch();
    abajo->addWidget(botonCerrar);
    capas->addWidget(filtros_);
    capas->addWidget(grilla_, 1);
    capas->addWidget(navegador_);
    capas->addLayout(abajo);

    menu_ = new QMenu(this);
    QAction* copiar = menu_->addAction("&Copiar");
    QAction* todo = menu_->addAction("Se&lecccionar todo");
    menu_->addSeparator();
    QAction* guardar = menu_->addAction(QString::fromUtf8("&Guardar selección"));
    grilla_->vista()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grilla_->vista(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { menu_->popup(grilla_->vista()->viewport()->mapToGlobal(p)); });
    connect(copiar, &QAction::triggered, this, [this] { conDialogos([this] { this->copiar(); }); });
    connect(todo, &QAction::triggered, this, [this] { seleccionarTodo(); });
    connect(guardar, &QAction::triggered, this, [this] { conDialogos([this] { guardarSeleccion(); }); });
    connect(filtros_, &QCheckBox::toggled, grilla_, &Grilla::mostrarFiltros);
    connect(botonBorrar, &QPushButton::clicked, this, [this] { conDialogos([this] { borrar(); }); });
    connect(botonCerrar, &QPushButton::clicked, this, &QDialog::accept);
    conectarMovimientos(navegador_, grilla_);
    connect(navegador_, &Navegador::pulsado, this, [this](int b) {
        if (b == Navegador::Refrescar) conDialogos([this] { leer(); });
        if (b == Navegador::Borrar) conDialogos([this] { borrarDeLaVista(); });
    });
}

void PantallaEventos::conDialogos(const std::function<void()>& accion) {
    ++dialogosAbiertos_;
    protegido(this, accion);
    --dialogosAbiertos_;
}

bool PantallaEventos::event(QEvent* e) {
    if (e->type() == QEvent::WindowDeactivate) {
        // The window that takes over is already the active one; a native
        // dialog is no widget, hence the count of our own boxes.
        vuelveDeDialogo_ = dialogosAbiertos_ > 0 || esVentanaDe(QApplication::activeWindow(), this);
    } else if (e->type() == QEvent::WindowActivate) {
        const bool releer = !vuelveDeDialogo_ && !leidaAlMostrar_;
        vuelveDeDialogo_ = leidaAlMostrar_ = false;
        if (releer) conDialogos([this] { leer(); });
    }
    return QDialog::event(e);
}

void PantallaEventos::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // The list is there from the first paint; the activation that follows
    // the showing does not read it twice.
    if (!e->spontaneous()) {
        conDialogos([this] { leer(); });
        leidaAlMostrar_ = !isActiveWindow();
    }
}

void PantallaEventos::leer() {
    std::string idActual;
    if (QModelIndex i = grilla_->vista()->currentIndex(); i.isValid())
        idActual = modelo_->filas().valor(modelo_->filaDatos(grilla_->proxy()->mapToSource(i).row()), "RPEV_ID")
                       .comoTextoONulo();

    db::ConjuntoFilas filas = local_.consultar(forma_.consulta);
    filas.fijarCaptura(capturaDePantalla());
    auto tipos = tiposDocumento(local_, 10);
    std::vector<ColumnaGrilla> columnas;
    ColumnaGrilla tipo = columna(filas, "RPEV_TIPO", "Tipo doc", 65, false, ColumnaGrilla::Tipo::Busqueda);
    tipo.opciones = tipos;
    columnas.push_back(tipo);
    columnas.push_back(columna(filas, "RPEV_PREF", "Pref", 35));
    columnas.push_back(columna(filas, "RPEV_NUMERO", "Número", 73));
    columnas.push_back(columna(filas, "RPEV_CODIGO", "Código", 86));
    columnas.push_back(columna(filas, "RPEV_COMPANIA", "Servidor", 218));
    columnas.push_back(columna(filas, "RPEV_FECREG", "Fecha", 76));
    columnas.push_back(columna(filas, "RPEV_HORAREG", "Hora", 50));
    columnas.push_back(columna(filas, "RPEV_OPER", "Op", 18));
    columnas.push_back(columna(filas, "RPEV_PREFDEST", "Prefd", 38));
    columnas.push_back(columna(filas, "RPEV_PTVT", "PtVt", 26));
    if (forma_.columnaError) columnas.push_back(columna(filas, "RPEV_ERROR", "Mensaje de error", 200));
    modelo_->fijar(std::move(filas), std::move(columnas));
    grilla_->fijarModelo(modelo_, true);
    // The error text takes the rest of the row.
    grilla_->vista()->horizontalHeader()->setStretchLastSection(forma_.columnaError);

    int destino = -1;
    for (int f = 0; f < modelo_->rowCount() && destino < 0 && !idActual.empty(); ++f)
        if (modelo_->filas().valor(modelo_->filaDatos(f), "RPEV_ID").comoTextoONulo() == idActual) destino = f;
    if (destino >= 0)
        grilla_->irAFila(destino);
    else if (grilla_->proxy()->rowCount() > 0)
        grilla_->vista()->setCurrentIndex(grilla_->proxy()->index(0, 0));
}

void PantallaEventos::borrar() {
    int fila = grilla_->filaActual();
    if (fila < 0) return;  // empty list
    const db::ConjuntoFilas& filas = modelo_->filas();
    size_t f = modelo_->filaDatos(fila);
    const std::string id = filas.valor(f, "RPEV_ID").comoTextoONulo();
    if (id.empty()) return;
    const QString pregunta = "Esta seguro de borrar el evento para el documento " +
                             QString::fromStdString(filas.valor(f, "RPEV_CODIGO").comoTextoONulo()) + "?";
    if (!Dialogos::confirmar(this, pregunta)) return;
    local_.ejecutar("DELETE FROM REPLICA_EVENTOS WHERE RPEV_ID = " + db::claveNumerica(id));
    leer();  // not reached when the delete failed
}

void PantallaEventos::copiar() {
    if (focusWidget() == grilla_->vista()) grilla_->copiar();
}

void PantallaEventos::seleccionarTodo() {
    if (focusWidget() == grilla_->vista()) grilla_->seleccionarTodo();
}

void PantallaEventos::borrarDeLaVista() {
    int fila = grilla_->filaActual();
    if (fila < 0) return;
    if (!Dialogos::confirmar(this, preguntaBorrarRegistro())) return;
    modelo_->quitar(fila);
}

void PantallaEventos::guardarSeleccion() {
    QString nombre = forma_.nombreArchivo;
    if (focusWidget() != grilla_->vista()) return;  // the grid's focus, active window or not
    auto [elegido, filtro] = Dialogos::guardarComo(this, nombre);
    if (elegido.isEmpty()) return;
    std::string ruta = nombreConExtension(elegido.toStdString(), filtro);
    if (ruta.empty()) return;
    exportarArchivo(grilla_->seleccion(), static_cast<FormatoExportacion>(filtro), ruta);
}

// --- Settings screens --------------------------------------------------------------

FormaEdicion formaCompanias() {
    FormaEdicion f;
    f.titulo = QString::fromUtf8("Configuración compañías");
    f.consulta = "SELECT * FROM REPLICA_COMPANIA";
    f.tamanio = QSize(640, 300);
    f.buscaAlEscribir = false;
    f.columnas = [](db::Conexion&, db::ConjuntoFilas& filas) {
        filas.fijarEtiqueta("RPCO_COD", "Código");
        filas.fijarEtiqueta("RPCP_NOMBRE", "Compañía");
        filas.fijarEtiqueta("RPCO_SERVIDOR", "Servidor");
        filas.fijarEtiqueta("RPCO_ACTIVA", "Activa");
        return std::vector<ColumnaGrilla>{
            columna(filas, "RPCO_COD", "Código", 38, true), columna(filas, "RPCP_NOMBRE", "Compañía", 223, true),
            columna(filas, "RPCO_SERVIDOR", "Servidor", 262, true),
            columna(filas, "RPCO_ACTIVA", "Activa", 35, true, ColumnaGrilla::Tipo::Casilla)};
    };
    return f;
}

FormaEdicion formaConfDocumentos() {
    FormaEdicion f;
    f.titulo = QString::fromUtf8("Configuración documentos");
    f.consulta = "SELECT * FROM REPLICACION_CONFIGURA";
    f.tamanio = QSize(500, 300);
    f.buscaAlEscribir = true;
    f.columnas = [](db::Conexion& local, db::ConjuntoFilas& filas) {
        // The type list is read before the configuration rows are shown.
        ColumnaGrilla tipo = columna(filas, "REPC_TIPO", "Tipo documento", 301, true, ColumnaGrilla::Tipo::Busqueda);
        tipo.opciones = tiposDocumento(local, 60);
        filas.fijarEtiqueta("REPC_TIPO", "Tipo");
        filas.fijarEtiqueta("REPC_PREF", "Prefijo");
        filas.fijarEtiqueta("REPC_REPLICA", "Replica");
        filas.fijarEtiqueta("REPC_COMPANIA", "Compañía");
        return std::vector<ColumnaGrilla>{tipo, columna(filas, "REPC_PREF", "Prefijo", 35, true),
                                          columna(filas, "REPC_REPLICA", "Replica", 43, true),
                                          columna(filas, "REPC_COMPANIA", "Compañía", 55, true)};
    };
    return f;
}

PantallaEdicion::PantallaEdicion(db::Conexion& local, FormaEdicion forma, QWidget* padre)
    : QDialog(padre), local_(local), forma_(std::move(forma)) {
    setWindowTitle(forma_.titulo);
    resize(forma_.tamanio);
    auto* capas = new QVBoxLayout(this);
    grilla_ = new Grilla(this);
    grilla_->fijarBusquedaAlEscribir(forma_.buscaAlEscribir);
    modelo_ = new ModeloFilas(this);
    navegador_ = new Navegador({Navegador::Primero, Navegador::Anterior, Navegador::Siguiente, Navegador::Ultimo,
                                Navegador::Insertar, Navegador::Borrar, Navegador::Editar, Navegador::Grabar,
                                Navegador::Cancelar, Navegador::Refrescar},
                               this);
    QPushButton* botonGrabar = boton("Grabar", "btnGrabar", this);
    QPushButton* botonCancelar = boton("Cancelar", "btnCancelar", this);
    auto* abajo = new QHBoxLayout;
    abajo->addStretch();
    abajo->addWidget(botonGrabar);
    abajo->addWidget(botonCancelar);
    capas->addWidget(grilla_, 1);
    capas->addWidget(navegador_);
    capas->addLayout(abajo);
    connect(botonGrabar, &QPushButton::clicked, this, [this] { protegido(this, [this] { grabar(); }); });
    connect(botonCancelar, &QPushButton::clicked, this, &QDialog::reject);
    conectarMovimientos(navegador_, grilla_);
    connect(navegador_, &Navegador::pulsado, this, [this](int b) {
        // The navigator's buttons take no focus: a cell still being edited
        // hands its text over first, as it does for "Grabar".
        if (grilla_->vista()->isAncestorOf(QApplication::focusWidget())) grilla_->vista()->setFocus();
        protegido(this, [this, b] {
            switch (b) {
                case Navegador::Insertar: insertar(); break;
                case Navegador::Borrar: borrarFila(); break;
                case Navegador::Editar: grilla_->vista()->edit(grilla_->vista()->currentIndex()); break;
                case Navegador::Grabar: postear(); break;
                case Navegador::Cancelar: cancelarFila(); break;
                case Navegador::Refrescar: refrescar(); break;
                default: break;
            }
        });
    });
    connect(grilla_, &Grilla::filaCambiada, this, [this](int anterior, int) {
        if (!moviendo_ && anterior >= 0) alCambiarFila(anterior);
    });
    connect(modelo_, &QAbstractItemModel::modelReset, this, [this] { actualizarNavegador(); });
    connect(modelo_, &QAbstractItemModel::dataChanged, this, [this] { actualizarNavegador(); });
    connect(modelo_, &QAbstractItemModel::rowsInserted, this, [this] { actualizarNavegador(); });
    connect(modelo_, &QAbstractItemModel::rowsRemoved, this, [this] { actualizarNavegador(); });
    leer();
}

void PantallaEdicion::leer() {
    db::ConjuntoFilas filas = local_.consultar(forma_.consulta);
    std::vector<ColumnaGrilla> columnas = forma_.columnas(local_, filas);
    moviendo_ = true;
    modelo_->fijar(std::move(filas), std::move(columnas));
    grilla_->fijarModelo(modelo_, false);
    if (grilla_->proxy()->rowCount() > 0) grilla_->vista()->setCurrentIndex(grilla_->proxy()->index(0, 0));
    moviendo_ = false;
}

void PantallaEdicion::actualizarNavegador() {
    // Reading again would drop the pending changes.
    navegador_->accion(Navegador::Refrescar)->setEnabled(!modelo_->hayCambios());
}

bool PantallaEdicion::verificar(int fila) {
    if (fila < 0 || !modelo_->pendiente(fila)) return true;
    db::ConjuntoFilas& filas = modelo_->filas();
    std::string mensaje;
    filas.fijarCaptura({nullptr, [&](const std::string& m) { mensaje = m; }});
    try {
        filas.verificarPosteo(modelo_->filaDatos(fila));
    } catch (const db::AbortoSilencioso&) {
        filas.fijarCaptura({});
        ManejoErrores::informar(this, mensaje);
        return false;
    }
    filas.fijarCaptura({});
    return true;
}

void PantallaEdicion::alCambiarFila(int anterior) {
    // Checked once the move is over, so the view is not changed in the middle
    // of its own handling of the click or key.
    QPersistentModelIndex fila(modelo_->index(anterior, 0));
    QTimer::singleShot(0, this, [this, fila] {
        if (!fila.isValid() || verificar(fila.row())) return;
        moviendo_ = true;
        grilla_->irAFila(fila.row());
        moviendo_ = false;
    });
}

bool PantallaEdicion::postear() {
    QModelIndex i = grilla_->vista()->currentIndex();
    return !i.isValid() || verificar(grilla_->proxy()->mapToSource(i).row());
}

int PantallaEdicion::insertar() {
    if (!postear()) return -1;
    moviendo_ = true;
    int fila = modelo_->agregar();
    grilla_->irAFila(fila);
    moviendo_ = false;
    return fila;
}

void PantallaEdicion::borrarFila() {
    QModelIndex i = grilla_->vista()->currentIndex();
    if (!i.isValid()) return;
    if (!Dialogos::confirmar(this, preguntaBorrarRegistro())) return;
    moviendo_ = true;
    modelo_->borrar(grilla_->proxy()->mapToSource(i).row());
    moviendo_ = false;
}

void PantallaEdicion::cancelarFila() {
    QModelIndex i = grilla_->vista()->currentIndex();
    if (!i.isValid()) return;
    moviendo_ = true;
    modelo_->revertir(grilla_->proxy()->mapToSource(i).row());
    moviendo_ = false;
}

void PantallaEdicion::refrescar() {
    if (!modelo_->hayCambios()) leer();
}

void PantallaEdicion::grabar() {
    // Applied on a copy inside one transaction: when the database refuses a
    // row, the table stays as it was and the pending changes as the operator
    // left them.
    db::ConjuntoFilas copia = modelo_->filas();
    std::string rechazo, posteo;
    copia.fijarCaptura({[&](const std::string& m) { rechazo = m; }, [&](const std::string& m) { posteo = m; }});
    auto sinTocar = [&](size_t i) {
        if (copia.fila(i).estado() != db::EstadoFila::Insertada) return false;
        for (size_t c = 0; c < copia.numColumnas(); ++c)
            if (!copia.valor(i, c).esNulo()) return false;
        return true;  // appended and never filled in: nothing to insert
    };
    std::vector<size_t> orden;
    for (size_t i = 0; i < copia.numFilas(); ++i)  // deletes first: a key may be freed and used again
        if (copia.fila(i).estado() == db::EstadoFila::Borrada) orden.push_back(i);
    for (size_t i = 0; i < copia.numFilas(); ++i)
        if (copia.fila(i).estado() != db::EstadoFila::Borrada && !sinTocar(i)) orden.push_back(i);

    db::AmbitoTransaccion ambito(local_);
    try {
        for (size_t i : orden)
            if (copia.aplicar(i) > 0) break;
    } catch (const db::AbortoSilencioso&) {
        ambito.deshacer();
        ManejoErrores::informar(this, posteo);
        return;
    }
    if (!rechazo.empty()) {
        ambito.deshacer();
        ManejoErrores::informar(this, rechazo);
        return;
    }
    ambito.confirmar();
    accept();
}

// --- Entry points --------------------------------------------------------------------

void mostrarMensajesError(QWidget* padre, db::Conexion& local) {
    mostrar<PantallaEventos>(padre, local, formaMensajesError());
}
void mostrarPendientes(QWidget* padre, db::Conexion& local) { mostrar<PantallaEventos>(padre, local, formaPendientes()); }
void mostrarCompanias(QWidget* padre, db::Conexion& local) { mostrar<PantallaEdicion>(padre, local, formaCompanias()); }
void mostrarConfDocumentos(QWidget* padre, db::Conexion& local) {
    mostrar<PantallaEdicion>(padre, local, formaConfDocumentos());
}

}  // namespace screens
