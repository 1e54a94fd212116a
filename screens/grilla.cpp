#include "screens/grilla.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCollator>
#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTime>
#include <QVBoxLayout>

#include <algorithm>

#include "db/errores.h"
#include "engine/formato.h"

namespace screens {

using db::TipoValor;
using db::Valor;

namespace {

constexpr unsigned kSqlTexto = 452;     // CHAR: read back padded with blanks
constexpr unsigned kSqlVariable = 448;  // VARCHAR
constexpr int kAltoFiltro = 22;
constexpr int kPausaBusqueda = 1500;  // ms without a key that starts a new search

QString sinBlancosFinales(QString t) {
    qsizetype n = t.size();
    while (n > 0 && t.at(n - 1) == ' ') --n;
    t.truncate(n);
    return t;
}

}  // namespace

// --- ModeloFilas ---------------------------------------------------------------

void ModeloFilas::fijar(db::ConjuntoFilas filas, std::vector<ColumnaGrilla> columnas) {
    beginResetModel();
    filas_ = std::move(filas);
    columnas_ = std::move(columnas);
    recalcularVisibles();
    endResetModel();
}

void ModeloFilas::recalcularVisibles() {
    visibles_.clear();
    for (size_t i = 0; i < filas_.numFilas(); ++i)
        if (filas_.fila(i).estado() != db::EstadoFila::Borrada) visibles_.push_back(i);
}

int ModeloFilas::agregar() {
    int fila = rowCount();
    beginInsertRows({}, fila, fila);
    filas_.agregar();
    recalcularVisibles();
    endInsertRows();
    return fila;
}

void ModeloFilas::borrar(int fila) {
    beginRemoveRows({}, fila, fila);
    filas_.marcarBorrada(filaDatos(fila));
    recalcularVisibles();
    endRemoveRows();
}

void ModeloFilas::quitar(int fila) {
    beginRemoveRows({}, fila, fila);
    filas_.quitar(filaDatos(fila));
    recalcularVisibles();
    endRemoveRows();
}

void ModeloFilas::revertir(int fila) {
    if (filas_.fila(filaDatos(fila)).estado() == db::EstadoFila::Insertada) {
        beginRemoveRows({}, fila, fila);
        filas_.revertir(filaDatos(fila));
        recalcularVisibles();
        endRemoveRows();
        return;
    }
    filas_.revertir(filaDatos(fila));
    emit dataChanged(index(fila, 0), index(fila, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, fila, fila);
}

bool ModeloFilas::sinTocar(int fila) const {
    const db::Fila& f = filas_.fila(filaDatos(fila));
    if (f.estado() != db::EstadoFila::Insertada) return false;
    for (size_t c = 0; c < filas_.numColumnas(); ++c)
        if (!f.valor(c).esNulo()) return false;
    return true;
}

bool ModeloFilas::pendiente(int fila) const {
    const db::Fila& f = filas_.fila(filaDatos(fila));
    if (f.estado() == db::EstadoFila::Insertada) return !sinTocar(fila);
    if (f.estado() != db::EstadoFila::Modificada) return false;
    for (size_t c = 0; c < filas_.numColumnas(); ++c)
        if (f.cambiada(c)) return true;
    return false;
}

bool ModeloFilas::hayCambios() const {
    for (size_t i = 0; i < filas_.numFilas(); ++i)
        if (filas_.fila(i).estado() == db::EstadoFila::Borrada) return true;
    for (int f = 0; f < rowCount(); ++f)
        if (pendiente(f)) return true;
    return false;
}

QString ModeloFilas::texto(int fila, int columna) const {
    const ColumnaGrilla& c = columnas_.at(static_cast<size_t>(columna));
    const Valor& v = filas_.valor(filaDatos(fila), static_cast<size_t>(c.columnaDatos));
    if (c.tipo == ColumnaGrilla::Tipo::Busqueda) {
        if (v.esNulo()) return {};
        int64_t clave = v.comoEntero();
        for (const auto& [codigo, nombre] : c.opciones)
            if (codigo == clave) return nombre;
        return {};
    }
    switch (v.tipo()) {
        case TipoValor::Nulo: return {};
        case TipoValor::Fecha: return QString::fromStdString(engine::fechaCorta(v.fechaValor()));
        case TipoValor::Hora: return QString::fromStdString(engine::horaLarga(v.horaValor()));
        case TipoValor::MarcaTiempo:
            return QString::fromStdString(engine::fechaCorta(v.fechaValor()) + " " + engine::horaLarga(v.horaValor()));
        default: {
            QString t = QString::fromStdString(v.comoTexto());
            return filas_.columnas().at(static_cast<size_t>(c.columnaDatos)).tipoSql == kSqlTexto ? sinBlancosFinales(t)
                                                                                                  : t;
        }
    }
}

int ModeloFilas::largoMaximo(int columna) const {
    const ColumnaGrilla& c = columnas_.at(static_cast<size_t>(columna));
    if (c.tipo != ColumnaGrilla::Tipo::Texto) return 0;
    const db::Columna& d = filas_.columnas().at(static_cast<size_t>(c.columnaDatos));
    return d.tipoSql == kSqlTexto || d.tipoSql == kSqlVariable ? static_cast<int>(d.longitud) : 0;
}

QVariant ModeloFilas::data(const QModelIndex& i, int rol) const {
    if (!i.isValid()) return {};
    const ColumnaGrilla& c = columnas_.at(static_cast<size_t>(i.column()));
    const Valor& v = filas_.valor(filaDatos(i.row()), static_cast<size_t>(c.columnaDatos));
    if (c.tipo == ColumnaGrilla::Tipo::Casilla) {
        if (rol == Qt::CheckStateRole) return v.comoTextoONulo() == "S" ? Qt::Checked : Qt::Unchecked;
        if (rol == kRolOrden) return sinBlancosFinales(QString::fromStdString(v.comoTextoONulo()));
        return {};
    }
    if (c.tipo == ColumnaGrilla::Tipo::Busqueda && rol == kRolClave)
        return v.esNulo() ? QVariant() : QVariant::fromValue<qlonglong>(v.comoEntero());
    if (rol == Qt::DisplayRole || rol == Qt::EditRole || rol == Qt::ToolTipRole) return texto(i.row(), i.column());
    if (rol == kRolOrden) {
        switch (v.tipo()) {
            case TipoValor::Entero: return QVariant::fromValue<qlonglong>(v.comoEntero());
            case TipoValor::Decimal:
            case TipoValor::Flotante: return v.comoFlotante();
            case TipoValor::Fecha: {
                db::Fecha f = v.fechaValor();
                return QDate(f.anio, f.mes, f.dia);
            }
            case TipoValor::Hora: {
                db::Hora h = v.horaValor();
                return QTime(h.hora, h.minuto, h.segundo);
            }
            default: return texto(i.row(), i.column());
        }
    }
    return {};
}

bool ModeloFilas::setData(const QModelIndex& i, const QVariant& v, int rol) {
    if (!i.isValid()) return false;
    const ColumnaGrilla& c = columnas_.at(static_cast<size_t>(i.column()));
    size_t fila = filaDatos(i.row());
    auto columna = static_cast<size_t>(c.columnaDatos);
    try {
        if (c.tipo == ColumnaGrilla::Tipo::Casilla) {
            if (rol != Qt::CheckStateRole) return false;
            filas_.asignar(fila, columna, Valor::texto(v.toInt() == Qt::Checked ? "S" : "N"));
        } else if (c.tipo == ColumnaGrilla::Tipo::Busqueda) {
            Valor clave;
            if (rol == kRolClave) {
                if (v.isValid() && !v.isNull()) clave = Valor::entero(v.toLongLong());
            } else if (rol == Qt::EditRole) {
                const QString nombre = v.toString();
                auto it = std::find_if(c.opciones.begin(), c.opciones.end(),
                                       [&](const auto& o) { return o.second == nombre; });
                if (it != c.opciones.end()) clave = Valor::entero(it->first);
                else if (!nombre.isEmpty()) return false;  // not one of the names offered
            } else {
                return false;
            }
            filas_.asignar(fila, columna, clave);
        } else {
            if (rol != Qt::EditRole) return false;
            const QString t = v.toString();
            // An editor closed without a change leaves the row as it was.
            if (t == texto(i.row(), i.column())) return true;
            const int largo = largoMaximo(i.column());
            if (largo > 0 && t.size() > largo) return false;
            filas_.asignar(fila, columna, t.isEmpty() ? Valor::nulo() : Valor::texto(t.toStdString()));
        }
    } catch (const db::ErrorConversion&) {
        return false;  // the cell keeps its value
    }
    emit dataChanged(index(i.row(), 0), index(i.row(), columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, i.row(), i.row());
    return true;
}

QVariant ModeloFilas::headerData(int s, Qt::Orientation o, int rol) const {
    if (o == Qt::Horizontal && rol == Qt::DisplayRole && s >= 0 && s < columnCount())
        return columnas_[static_cast<size_t>(s)].titulo;
    return QAbstractTableModel::headerData(s, o, rol);
}

Qt::ItemFlags ModeloFilas::flags(const QModelIndex& i) const {
    if (!i.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const ColumnaGrilla& c = columnas_.at(static_cast<size_t>(i.column()));
    if (c.editable) f |= (c.tipo == ColumnaGrilla::Tipo::Casilla) ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    return f;
}

// --- ProxyGrilla ---------------------------------------------------------------

void ProxyGrilla::ordenarPor(int columna, bool agregar) {
    auto it = std::find_if(orden_.begin(), orden_.end(), [&](const auto& p) { return p.first == columna; });
    if (it != orden_.end()) {
        it->second = it->second == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        if (!agregar) orden_ = {*it};
    } else {
        if (!agregar) orden_.clear();
        orden_.push_back({columna, Qt::AscendingOrder});
    }
    invalidate();
    sort(orden_.empty() ? -1 : 0);
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void ProxyGrilla::fijarFiltro(int columna, const QString& texto) {
    if (filtros_.size() <= static_cast<size_t>(columna)) filtros_.resize(static_cast<size_t>(columna) + 1);
    filtros_[static_cast<size_t>(columna)] = texto;
    invalidateFilter();
}

void ProxyGrilla::limpiarFiltros() {
    filtros_.clear();
    invalidateFilter();
}

void ProxyGrilla::activarFiltros(bool activos) {
    filtrosActivos_ = activos;
    invalidateFilter();
}

void ProxyGrilla::fijarFilaActual(int fila) {
    int anterior = filaActual_;
    filaActual_ = fila;
    if (anterior >= 0 && anterior < rowCount()) emit headerDataChanged(Qt::Vertical, anterior, anterior);
    if (fila >= 0 && fila < rowCount()) emit headerDataChanged(Qt::Vertical, fila, fila);
}

QVariant ProxyGrilla::headerData(int s, Qt::Orientation o, int rol) const {
    if (rol == Qt::DisplayRole && o == Qt::Vertical) {
        // ▶ current row; ✱ appended and ✎ changed rows not yet written.
        QString marca = s == filaActual_ ? QString::fromUtf8("▶") : QString();
        auto* modelo = qobject_cast<const ModeloFilas*>(sourceModel());
        if (modelo && s >= 0 && s < rowCount()) {
            int fila = mapToSource(index(s, 0)).row();
            db::EstadoFila e = modelo->filas().fila(modelo->filaDatos(fila)).estado();
            if (e == db::EstadoFila::Insertada) marca = QString::fromUtf8("✱");
            else if (modelo->pendiente(fila)) marca = QString::fromUtf8("✎");
        }
        return marca;
    }
    if (rol == Qt::DisplayRole && o == Qt::Horizontal) {
        QString t = QSortFilterProxyModel::headerData(s, o, rol).toString();
        for (size_t k = 0; k < orden_.size(); ++k)
            if (orden_[k].first == s) {
                t += orden_[k].second == Qt::AscendingOrder ? QString::fromUtf8(" ▲") : QString::fromUtf8(" ▼");
                if (orden_.size() > 1) t += QString::number(k + 1);
            }
        return t;
    }
    return QSortFilterProxyModel::headerData(s, o, rol);
}

bool ProxyGrilla::lessThan(const QModelIndex& a, const QModelIndex& b) const {
    // Called with sort(0): the keys are ours, the column given is ignored.
    for (const auto& [columna, sentido] : orden_) {
        QVariant va = sourceModel()->index(a.row(), columna).data(ModeloFilas::kRolOrden);
        QVariant vb = sourceModel()->index(b.row(), columna).data(ModeloFilas::kRolOrden);
        int c = 0;
        if (!va.isValid() || !vb.isValid()) {
            c = va.isValid() - vb.isValid();  // empty cells first
        } else if (va.typeId() == QMetaType::QString && vb.typeId() == QMetaType::QString) {
            // Texts as people order them: without regard to case, accents after
            // their letter; case only breaks a tie.
            static const QCollator orden = [] {
                QCollator o;
                o.setCaseSensitivity(Qt::CaseInsensitive);
                return o;
            }();
            c = orden.compare(va.toString(), vb.toString());
            if (c == 0) c = va.toString().compare(vb.toString());
        } else {
            QPartialOrdering o = QVariant::compare(va, vb);
            c = o == QPartialOrdering::Less ? -1 : o == QPartialOrdering::Greater ? 1 : 0;
        }
        if (c != 0) return sentido == Qt::AscendingOrder ? c < 0 : c > 0;
    }
    return a.row() < b.row();  // equal keys keep the order read
}

bool ProxyGrilla::filterAcceptsRow(int fila, const QModelIndex& padre) const {
    if (!filtrosActivos_) return true;
    for (size_t c = 0; c < filtros_.size(); ++c) {
        if (filtros_[c].isEmpty()) continue;
        QModelIndex i = sourceModel()->index(fila, static_cast<int>(c), padre);
        QString t = i.data(Qt::CheckStateRole).isValid() ? i.data(ModeloFilas::kRolOrden).toString()
                                                         : i.data(Qt::DisplayRole).toString();
        if (!t.contains(filtros_[c], Qt::CaseInsensitive)) return false;
    }
    return true;
}

// --- DelegadoGrilla ------------------------------------------------------------

namespace {

const ModeloFilas* modeloDe(const QModelIndex& i) {
    auto* proxy = qobject_cast<const QSortFilterProxyModel*>(i.model());
    return qobject_cast<const ModeloFilas*>(proxy ? proxy->sourceModel() : i.model());
}

}  // namespace

QWidget* DelegadoGrilla::createEditor(QWidget* padre, const QStyleOptionViewItem& o, const QModelIndex& i) const {
    const ModeloFilas* modelo = modeloDe(i);
    const ColumnaGrilla* c = modelo ? &modelo->columnas().at(static_cast<size_t>(i.column())) : nullptr;
    if (c && c->tipo == ColumnaGrilla::Tipo::Busqueda) {
        auto* combo = new QComboBox(padre);
        combo->setObjectName("listaBusqueda");
        combo->addItem(QString(), QVariant());  // no type
        for (const auto& [codigo, nombre] : c->opciones) combo->addItem(nombre, QVariant::fromValue<qlonglong>(codigo));
        // A choice from the list is taken at once, as the operator expects.
        auto* yo = const_cast<DelegadoGrilla*>(this);
        connect(combo, &QComboBox::activated, yo, [yo, combo] {
            emit yo->commitData(combo);
            emit yo->closeEditor(combo);
        });
        return combo;
    }
    QWidget* editor = QStyledItemDelegate::createEditor(padre, o, i);
    if (auto* linea = qobject_cast<QLineEdit*>(editor); linea && modelo) {
        linea->setObjectName("editorCelda");
        int largo = modelo->largoMaximo(i.column());
        if (largo > 0) linea->setMaxLength(largo);
    }
    return editor;
}

void DelegadoGrilla::setEditorData(QWidget* editor, const QModelIndex& i) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        QVariant clave = i.data(ModeloFilas::kRolClave);
        combo->setCurrentIndex(std::max(0, clave.isValid() ? combo->findData(clave) : 0));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, i);
}

void DelegadoGrilla::setModelData(QWidget* editor, QAbstractItemModel* m, const QModelIndex& i) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        m->setData(i, combo->currentData(), ModeloFilas::kRolClave);
        return;
    }
    QStyledItemDelegate::setModelData(editor, m, i);
}

// --- CabeceraGrilla --------------------------------------------------------------

// The column titles with the filter row drawn under them: the header grows by
// one line while the filters show, and the filter edits live in its viewport,
// so they scroll with the columns.
class CabeceraGrilla : public QHeaderView {
public:
    explicit CabeceraGrilla(QWidget* padre) : QHeaderView(Qt::Horizontal, padre) {}

    void fijarFiltrosVisibles(bool visibles) {
        filtrosVisibles_ = visibles;
        updateGeometry();
    }
    bool filtrosVisibles() const { return filtrosVisibles_; }
    int altoFiltros() const { return filtrosVisibles_ ? kAltoFiltro : 0; }

    QSize sizeHint() const override {
        QSize s = QHeaderView::sizeHint();
        s.setHeight(s.height() + altoFiltros());
        return s;
    }

protected:
    void paintSection(QPainter* p, const QRect& r, int logica) const override {
        QHeaderView::paintSection(p, r.adjusted(0, 0, 0, -altoFiltros()), logica);
    }

private:
    bool filtrosVisibles_ = false;
};

// --- DialogoBuscar -------------------------------------------------------------

DialogoBuscar::DialogoBuscar(Grilla* grilla) : QDialog(grilla), grilla_(grilla) {
    setObjectName("dialogoBuscar");
    setWindowTitle("Buscar");
    auto* capas = new QVBoxLayout(this);
    auto* fila = new QHBoxLayout;
    texto_ = new QLineEdit(this);
    texto_->setObjectName("textoBuscar");
    auto* siguiente = new QPushButton("Buscar &siguiente", this);
    siguiente->setObjectName("btnBuscarSiguiente");
    siguiente->setDefault(true);
    auto* cerrar = new QPushButton("Cerrar", this);
    fila->addWidget(new QLabel("Buscar:", this));
    fila->addWidget(texto_, 1);
    fila->addWidget(siguiente);
    fila->addWidget(cerrar);
    soloColumna_ = new QCheckBox("Solo en la columna actual", this);
    aviso_ = new QLabel(this);
    aviso_->setObjectName("avisoBuscar");
    capas->addLayout(fila);
    capas->addWidget(soloColumna_);
    capas->addWidget(aviso_);
    connect(siguiente, &QPushButton::clicked, this, &DialogoBuscar::buscarSiguiente);
    connect(cerrar, &QPushButton::clicked, this, &QDialog::close);
}

bool DialogoBuscar::buscarSiguiente() {
    bool hallado = grilla_->buscarSiguiente(texto_->text(), soloColumna_->isChecked());
    aviso_->setText(hallado || texto_->text().isEmpty() ? QString() : QString::fromUtf8("No se encontró el texto"));
    return hallado;
}

// --- Grilla --------------------------------------------------------------------

Grilla::Grilla(QWidget* padre) : QWidget(padre) {
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(0, 0, 0, 0);
    vista_ = new QTableView(this);
    vista_->setObjectName("grilla");
    cabecera_ = new CabeceraGrilla(vista_);
    vista_->setHorizontalHeader(cabecera_);
    proxy_ = new ProxyGrilla(this);
    vista_->setModel(proxy_);
    vista_->setItemDelegate(new DelegadoGrilla(vista_));
    vista_->setShowGrid(true);
    vista_->setSortingEnabled(false);  // titles sort through ordenarPor
    vista_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    cabecera_->setSectionsMovable(true);
    cabecera_->setSectionResizeMode(QHeaderView::Interactive);
    cabecera_->setMinimumSectionSize(8);  // a one-letter column is narrower than the style's default
    cabecera_->setSectionsClickable(true);
    cabecera_->setHighlightSections(true);
    vista_->verticalHeader()->setDefaultSectionSize(20);
    vista_->verticalHeader()->setFixedWidth(22);
    vista_->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    vista_->setTextElideMode(Qt::ElideRight);
    vista_->installEventFilter(this);
    capas->addWidget(vista_);

    connect(cabecera_, &QHeaderView::sectionClicked, this, [this](int logica) {
        ordenarPor(logica, QApplication::keyboardModifiers() & Qt::ControlModifier);
    });
    auto reubicar = [this] { ubicarFiltros(); };
    connect(cabecera_, &QHeaderView::sectionResized, this, reubicar);
    connect(cabecera_, &QHeaderView::sectionMoved, this, reubicar);
    connect(cabecera_, &QHeaderView::geometriesChanged, this, reubicar);
    connect(vista_->horizontalScrollBar(), &QScrollBar::valueChanged, this, reubicar);
    connect(vista_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& actual, const QModelIndex& anterior) {
                proxy_->fijarFilaActual(actual.row());
                int a = anterior.isValid() ? proxy_->mapToSource(anterior).row() : -1;
                int b = actual.isValid() ? proxy_->mapToSource(actual).row() : -1;
                emit filaCambiada(a, b);
            });
    // A reset (the list read again) leaves no current row.
    connect(proxy_, &QAbstractItemModel::modelReset, this, [this] { proxy_->fijarFilaActual(-1); });
}

Grilla::~Grilla() {
    // The children outlive our members while QWidget tears them down; their
    // signals must not reach the filter edits any more.
    for (QObject* emisor : {static_cast<QObject*>(cabecera_), static_cast<QObject*>(vista_->horizontalScrollBar()),
                            static_cast<QObject*>(vista_->selectionModel()), static_cast<QObject*>(proxy_)})
        emisor->disconnect(this);
}

void Grilla::fijarModelo(ModeloFilas* modelo, bool soloLectura) {
    if (modelo_ != modelo) {
        modelo_ = modelo;
        proxy_->setSourceModel(modelo);
    }
    soloLectura_ = soloLectura;
    fijarDisparadores();
    vista_->setSelectionBehavior(soloLectura ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);

    std::vector<QString> titulos;
    for (const ColumnaGrilla& c : modelo->columnas()) titulos.push_back(c.titulo);
    if (titulos != titulosDispuestos_) {
        titulosDispuestos_ = titulos;
        disponerColumnas();
    }
    ubicarFiltros();
}

void Grilla::disponerColumnas() {
    for (QLineEdit* f : filtros_) delete f;
    filtros_.clear();
    proxy_->limpiarFiltros();
    const auto& columnas = modelo_->columnas();
    for (size_t c = 0; c < columnas.size(); ++c) {
        vista_->setColumnWidth(static_cast<int>(c), columnas[c].ancho);
        auto* filtro = new QLineEdit(cabecera_->viewport());
        filtro->setObjectName(QString("filtro%1").arg(c));
        filtro->setPlaceholderText(QString::fromUtf8("…"));
        filtro->setVisible(cabecera_->filtrosVisibles());
        filtro->installEventFilter(this);
        connect(filtro, &QLineEdit::textChanged, this,
                [this, c](const QString& t) { proxy_->fijarFiltro(static_cast<int>(c), t); });
        filtros_.push_back(filtro);
    }
}

void Grilla::fijarDisparadores() {
    QAbstractItemView::EditTriggers d = QAbstractItemView::NoEditTriggers;
    if (!soloLectura_) {
        d = QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked;
        if (!buscaAlEscribir_) d |= QAbstractItemView::AnyKeyPressed;
    }
    vista_->setEditTriggers(d);
}

void Grilla::fijarBusquedaAlEscribir(bool busca) {
    buscaAlEscribir_ = busca;
    fijarDisparadores();
}

void Grilla::mostrarFiltros(bool visibles) {
    cabecera_->fijarFiltrosVisibles(visibles);
    // A hidden filter row keeps its texts but hides no rows.
    proxy_->activarFiltros(visibles);
    QMetaObject::invokeMethod(vista_, "updateGeometries");
    ubicarFiltros();
}

bool Grilla::filtrosVisibles() const { return cabecera_->filtrosVisibles(); }

QLineEdit* Grilla::filtro(int columna) const {
    return columna >= 0 && columna < static_cast<int>(filtros_.size()) ? filtros_[static_cast<size_t>(columna)] : nullptr;
}

void Grilla::ordenarPor(int columna, bool agregar) { proxy_->ordenarPor(columna, agregar); }

int Grilla::filaActual() const {
    QModelIndex i = vista_->currentIndex();
    if (i.isValid()) return proxy_->mapToSource(i).row();
    return proxy_->rowCount() > 0 ? proxy_->mapToSource(proxy_->index(0, 0)).row() : -1;
}

void Grilla::irAFila(int filaModelo) {
    if (!modelo_ || filaModelo < 0 || filaModelo >= modelo_->rowCount()) return;
    QModelIndex i = proxy_->mapFromSource(modelo_->index(filaModelo, std::max(0, vista_->currentIndex().column())));
    if (i.isValid()) vista_->setCurrentIndex(i);
}

TablaExportada Grilla::seleccion() const {
    TablaExportada t;
    if (!modelo_) return t;
    std::vector<int> columnas;
    for (int v = 0; v < cabecera_->count(); ++v) {
        int logica = cabecera_->logicalIndex(v);
        if (!cabecera_->isSectionHidden(logica)) columnas.push_back(logica);
    }
    for (int c : columnas) t.titulos.push_back(modelo_->columnas()[static_cast<size_t>(c)].titulo.toStdString());
    std::vector<int> filas;
    for (const QModelIndex& i : vista_->selectionModel()->selectedIndexes()) filas.push_back(i.row());
    std::sort(filas.begin(), filas.end());
    filas.erase(std::unique(filas.begin(), filas.end()), filas.end());
    for (int f : filas) {
        std::vector<std::string> celdas;
        for (int c : columnas) {
            QModelIndex i = proxy_->index(f, c);
            QVariant marca = i.data(Qt::CheckStateRole);
            celdas.push_back(marca.isValid() ? i.data(ModeloFilas::kRolOrden).toString().toStdString()
                                             : i.data(Qt::DisplayRole).toString().toStdString());
        }
        t.filas.push_back(std::move(celdas));
    }
    return t;
}

void Grilla::copiar() { QApplication::clipboard()->setText(QString::fromStdString(textoPortapapeles(seleccion()))); }

void Grilla::seleccionarTodo() { vista_->selectAll(); }

bool Grilla::buscarIncremental(const QString& texto) {
    int columna = std::max(0, vista_->currentIndex().column());
    for (int f = 0; f < proxy_->rowCount(); ++f) {
        QModelIndex i = proxy_->index(f, columna);
        if (i.data(Qt::DisplayRole).toString().startsWith(texto, Qt::CaseInsensitive)) {
            vista_->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

bool Grilla::buscarSiguiente(const QString& texto, bool soloColumnaActual) {
    if (texto.isEmpty()) return false;
    const QModelIndex actual = vista_->currentIndex();
    int n = proxy_->rowCount(), desde = actual.isValid() ? actual.row() : -1;
    for (int k = 1; k <= n; ++k) {
        int f = (desde + k) % n;
        for (int v = 0; v < cabecera_->count(); ++v) {
            int c = cabecera_->logicalIndex(v);
            if (cabecera_->isSectionHidden(c) || (soloColumnaActual && actual.isValid() && c != actual.column())) continue;
            QModelIndex i = proxy_->index(f, c);
            if (i.data(Qt::DisplayRole).toString().contains(texto, Qt::CaseInsensitive)) {
                vista_->setCurrentIndex(i);
                return true;
            }
        }
    }
    return false;
}

DialogoBuscar* Grilla::abrirBuscar() {
    if (!buscar_) buscar_ = new DialogoBuscar(this);
    buscar_->show();
    buscar_->raise();
    buscar_->activateWindow();
    buscar_->texto()->setFocus();
    buscar_->texto()->selectAll();
    return buscar_;
}

bool Grilla::eventFilter(QObject* objeto, QEvent* evento) {
    // Enter in a filter goes back to the rows; it reaches neither the rows'
    // own Enter nor the window's buttons.
    if (evento->type() == QEvent::KeyPress && objeto != vista_ &&
        std::find(filtros_.begin(), filtros_.end(), objeto) != filtros_.end()) {
        const int tecla = static_cast<QKeyEvent*>(evento)->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
            vista_->setFocus();
            return true;
        }
    }
    // While a cell is edited its editor has the keys, not the view.
    if (objeto == vista_ && evento->type() == QEvent::KeyPress) {
        auto* tecla = static_cast<QKeyEvent*>(evento);
        if (tecla->matches(QKeySequence::Find)) {
            abrirBuscar();
            return true;
        }
        if (tecla->matches(QKeySequence::Copy)) {
            copiar();
            return true;
        }
        const QModelIndex i = vista_->currentIndex();
        if (tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter) {
            // Enter moves to the next cell, then to the start of the next row.
            int columnas = proxy_->columnCount(), filas = proxy_->rowCount();
            if (i.isValid() && columnas > 0) {
                int visual = cabecera_->visualIndex(i.column()) + 1, fila = i.row();
                if (visual >= columnas) visual = 0, fila = std::min(fila + 1, filas - 1);
                vista_->setCurrentIndex(proxy_->index(fila, cabecera_->logicalIndex(visual)));
            }
            return true;
        }
        const QString t = tecla->text();
        const bool casilla = i.isValid() && i.data(Qt::CheckStateRole).isValid();
        if (buscaAlEscribir_ && !t.isEmpty() && t.at(0).isPrint() && !(casilla && t == " ") &&
            !(tecla->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            // Typing searches in the current column rather than editing it.
            if (!ultimaTecla_.isValid() || ultimaTecla_.elapsed() > kPausaBusqueda) busqueda_.clear();
            ultimaTecla_.restart();
            busqueda_ += t;
            buscarIncremental(busqueda_);
            return true;
        }
    }
    return QWidget::eventFilter(objeto, evento);
}

void Grilla::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    ubicarFiltros();
}

void Grilla::ubicarFiltros() {
    const int alto = cabecera_->altoFiltros();
    const int arriba = cabecera_->height() - alto;
    for (size_t c = 0; c < filtros_.size(); ++c) {
        int logica = static_cast<int>(c);
        filtros_[c]->setGeometry(cabecera_->sectionViewportPosition(logica), arriba, cabecera_->sectionSize(logica), alto);
        filtros_[c]->setVisible(cabecera_->filtrosVisibles() && !cabecera_->isSectionHidden(logica));
    }
}

}  // namespace screens
