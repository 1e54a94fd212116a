#include "screens/pantallas.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QVBoxLayout>

#include <map>

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

// Rows the screens read are not being replicated: a refusal is only a beep
// here, the message reaches the operator through the error handler.
db::CapturaErrores capturaDePantalla() {
    return {[](const std::string&) { QApplication::beep(); }, [](const std::string&) { QApplication::beep(); }};
}

template <class Pantalla>
void mostrar(QWidget* padre, db::Conexion& local, auto forma) {
    protegido(padre, [&] {
        Pantalla p(local, forma, padre);
        p.exec();
    });
}

}  // namespace

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

namespace {

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
    auto* botonBorrar = new QPushButton("Borrar", this);
    botonBorrar->setObjectName("btnBorrar");
    auto* botonCerrar = new QPushButton("Cerrar", this);
    botonCerrar->setObjectName("btnCerrar");
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
    connect(copiar, &QAction::triggered, this, [this] { protegido(this, [this] { grilla_->copiar(); }); });
    connect(todo, &QAction::triggered, this, [this] { grilla_->seleccionarTodo(); });
    connect(guardar, &QAction::triggered, this, [this] { protegido(this, [this] { guardarSeleccion(); }); });
    connect(filtros_, &QCheckBox::toggled, grilla_, &Grilla::mostrarFiltros);
    connect(botonBorrar, &QPushButton::clicked, this, [this] { protegido(this, [this] { borrar(); }); });
    connect(botonCerrar, &QPushButton::clicked, this, &QDialog::accept);
    conectarMovimientos(navegador_, grilla_);
    connect(navegador_, &Navegador::pulsado, this, [this](int b) {
        if (b == Navegador::Refrescar) protegido(this, [this] { leer(); });
        if (b == Navegador::Borrar) borrarDeLaVista();
    });
}

void PantallaEventos::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!leida_) protegido(this, [this] { leer(); });
    leida_ = true;
}

void PantallaEventos::leer() {
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
    leer();
}

void PantallaEventos::borrarDeLaVista() {
    int fila = grilla_->filaActual();
    if (fila < 0) return;
    if (!Dialogos::confirmar(this, QString::fromUtf8("¿Borrar el registro?"))) return;
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
    f.columnas = [](db::Conexion& local, db::ConjuntoFilas& filas) {
        filas.fijarEtiqueta("REPC_TIPO", "Tipo");
        filas.fijarEtiqueta("REPC_PREF", "Prefijo");
        filas.fijarEtiqueta("REPC_REPLICA", "Replica");
        filas.fijarEtiqueta("REPC_COMPANIA", "Compañía");
        ColumnaGrilla tipo = columna(filas, "REPC_TIPO", "Tipo documento", 301, true, ColumnaGrilla::Tipo::Busqueda);
        tipo.opciones = tiposDocumento(local, 60);
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
    modelo_ = new ModeloFilas(this);
    navegador_ = new Navegador({Navegador::Primero, Navegador::Anterior, Navegador::Siguiente, Navegador::Ultimo,
                                Navegador::Insertar, Navegador::Borrar, Navegador::Editar, Navegador::Grabar,
                                Navegador::Cancelar, Navegador::Refrescar},
                               this);
    auto* grabar = new QPushButton("Grabar", this);
    grabar->setObjectName("btnGrabar");
    auto* cancelar = new QPushButton("Cancelar", this);
    cancelar->setObjectName("btnCancelar");
    auto* abajo = new QHBoxLayout;
    abajo->addStretch();
    abajo->addWidget(grabar);
    abajo->addWidget(cancelar);
    capas->addWidget(grilla_, 1);
    capas->addWidget(navegador_);
    capas->addLayout(abajo);
    connect(grabar, &QPushButton::clicked, this, [this] { protegido(this, [this] { this->grabar(); }); });
    connect(cancelar, &QPushButton::clicked, this, &QDialog::reject);
    conectarMovimientos(navegador_, grilla_);
    connect(navegador_, &Navegador::pulsado, this, [this](int b) {
        protegido(this, [this, b] {
            switch (b) {
                case Navegador::Insertar: insertar(); break;
                case Navegador::Borrar: borrarFila(); break;
                case Navegador::Editar: grilla_->vista()->edit(grilla_->vista()->currentIndex()); break;
                case Navegador::Grabar: postear(); break;
                case Navegador::Cancelar: cancelarFila(); break;
                case Navegador::Refrescar:
                    if (!modelo_->hayCambios()) leer();
                    break;
                default: break;
            }
        });
    });
    leer();
}

void PantallaEdicion::leer() {
    db::ConjuntoFilas filas = local_.consultar(forma_.consulta);
    std::vector<ColumnaGrilla> columnas = forma_.columnas(local_, filas);
    modelo_->fijar(std::move(filas), std::move(columnas));
    grilla_->fijarModelo(modelo_, false);
}

int PantallaEdicion::insertar() {
    int fila = modelo_->agregar();
    grilla_->irAFila(fila);
    return fila;
}

void PantallaEdicion::borrarFila() {
    int fila = grilla_->filaActual();
    if (fila >= 0) modelo_->borrar(fila);
}

bool PantallaEdicion::postear() {
    int fila = grilla_->filaActual();
    if (fila < 0) return true;
    db::ConjuntoFilas& filas = modelo_->filas();
    std::string mensaje;
    filas.fijarCaptura({nullptr, [&](const std::string& m) { mensaje = m; }});
    try {
        filas.verificarPosteo(modelo_->filaDatos(fila));
    } catch (const db::AbortoSilencioso&) {
        ManejoErrores::informar(this, mensaje);
        return false;
    }
    return true;
}

void PantallaEdicion::cancelarFila() {
    int fila = grilla_->filaActual();
    if (fila < 0) return;
    size_t f = modelo_->filaDatos(fila);
    db::ConjuntoFilas filas = modelo_->filas();
    filas.revertir(f);
    std::vector<ColumnaGrilla> columnas = modelo_->columnas();
    modelo_->fijar(std::move(filas), std::move(columnas));
}

void PantallaEdicion::grabar() {
    // Applied on a copy: if the database refuses one row, nothing is kept
    // and the pending changes stay as the operator left them.
    db::ConjuntoFilas copia = modelo_->filas();
    std::string rechazo, posteo;
    copia.fijarCaptura({[&](const std::string& m) { rechazo = m; }, [&](const std::string& m) { posteo = m; }});
    db::AmbitoTransaccion ambito(local_);
    std::vector<size_t> orden;
    for (size_t i = 0; i < copia.numFilas(); ++i)  // deletes first: a key may be freed and used again
        if (copia.fila(i).estado() == db::EstadoFila::Borrada) orden.push_back(i);
    for (size_t i = 0; i < copia.numFilas(); ++i)
        if (copia.fila(i).estado() != db::EstadoFila::Borrada) orden.push_back(i);
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
