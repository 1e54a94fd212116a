#include "screens/grilla.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTime>
#include <QVBoxLayout>

#include "db/errores.h"
#include "engine/formato.h"

namespace screens {

using db::TipoValor;
using db::Valor;

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

bool ModeloFilas::hayCambios() const {
    for (size_t i = 0; i < filas_.numFilas(); ++i) {
        db::EstadoFila e = filas_.fila(i).estado();
        if (e == db::EstadoFila::Insertada || e == db::EstadoFila::Borrada) return true;
        if (e == db::EstadoFila::Modificada)
            for (size_t c = 0; c < filas_.numColumnas(); ++c)
                if (filas_.fila(i).cambiada(c)) return true;
    }
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
        default: return QString::fromStdString(v.comoTexto());
    }
}

QVariant ModeloFilas::data(const QModelIndex& i, int rol) const {
    if (!i.isValid()) return {};
    const ColumnaGrilla& c = columnas_.at(static_cast<size_t>(i.column()));
    const Valor& v = filas_.valor(filaDatos(i.row()), static_cast<size_t>(c.columnaDatos));
    if (c.tipo == ColumnaGrilla::Tipo::Casilla) {
        if (rol == Qt::CheckStateRole) return v.comoTextoONulo() == "S" ? Qt::Checked : Qt::Unchecked;
        if (rol == kRolOrden) return QString::fromStdString(v.comoTextoONulo());
        return {};
    }
    if (rol == Qt::DisplayRole || rol == Qt::EditRole || rol == Qt::ToolTipRole) return texto(i.row(), i.column());
    if (rol == kRolOrden) {
        switch (v.tipo()) {
            case TipoValor::Entero: return QVariant::fromValue<qlonglong>(v.escalado());
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
            if (rol != Qt::EditRole) return false;
            const QString nombre = v.toString();
            Valor clave;
            for (const auto& [codigo, n] : c.opciones)
                if (n == nombre) clave = Valor::entero(codigo);
            filas_.asignar(fila, columna, clave);
        } else {
            if (rol != Qt::EditRole) return false;
            const QString t = v.toString();
            filas_.asignar(fila, columna, t.isEmpty() ? Valor::nulo() : Valor::texto(t.toStdString()));
        }
    } catch (const db::ErrorConversion&) {
        return false;  // the cell keeps its value
    }
    emit dataChanged(index(i.row(), 0), index(i.row(), columnCount() - 1));
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

void ProxyGrilla::fijarFilaActual(int fila) {
    int anterior = filaActual_;
    filaActual_ = fila;
    if (anterior >= 0 && anterior < rowCount()) emit headerDataChanged(Qt::Vertical, anterior, anterior);
    if (fila >= 0 && fila < rowCount()) emit headerDataChanged(Qt::Vertical, fila, fila);
}

QVariant ProxyGrilla::headerData(int s, Qt::Orientation o, int rol) const {
    if (rol == Qt::DisplayRole && o == Qt::Vertical) return s == filaActual_ ? QString::fromUtf8("▶") : QString();
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
        int c = QVariant::compare(va, vb) == QPartialOrdering::Less      ? -1
                : QVariant::compare(va, vb) == QPartialOrdering::Greater ? 1
                                                                        : 0;
        if (!va.isValid() && vb.isValid()) c = -1;
        if (va.isValid() && !vb.isValid()) c = 1;
        if (c != 0) return sentido == Qt::AscendingOrder ? c < 0 : c > 0;
    }
    return a.row() < b.row();  // equal keys keep the order read
}

bool ProxyGrilla::filterAcceptsRow(int fila, const QModelIndex& padre) const {
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
const ColumnaGrilla* columnaDe(const QModelIndex& i) {
    auto* proxy = qobject_cast<const QSortFilterProxyModel*>(i.model());
    auto* modelo = qobject_cast<const ModeloFilas*>(proxy ? proxy->sourceModel() : i.model());
    return modelo ? &modelo->columnas().at(static_cast<size_t>(i.column())) : nullptr;
}
}  // namespace

QWidget* DelegadoGrilla::createEditor(QWidget* padre, const QStyleOptionViewItem& o, const QModelIndex& i) const {
    const ColumnaGrilla* c = columnaDe(i);
    if (c && c->tipo == ColumnaGrilla::Tipo::Busqueda) {
        auto* combo = new QComboBox(padre);
        for (const auto& [codigo, nombre] : c->opciones) combo->addItem(nombre);
        return combo;
    }
    return QStyledItemDelegate::createEditor(padre, o, i);
}

void DelegadoGrilla::setEditorData(QWidget* editor, const QModelIndex& i) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentText(i.data(Qt::EditRole).toString());
        return;
    }
    QStyledItemDelegate::setEditorData(editor, i);
}

void DelegadoGrilla::setModelData(QWidget* editor, QAbstractItemModel* m, const QModelIndex& i) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        m->setData(i, combo->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, m, i);
}

// --- Grilla --------------------------------------------------------------------

Grilla::Grilla(QWidget* padre) : QWidget(padre) {
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(0, 0, 0, 0);
    capas->setSpacing(0);
    barraFiltros_ = new QWidget(this);
    barraFiltros_->setObjectName("filaFiltros");
    barraFiltros_->setFixedHeight(24);
    barraFiltros_->hide();
    vista_ = new QTableView(this);
    vista_->setObjectName("grilla");
    proxy_ = new ProxyGrilla(this);
    vista_->setModel(proxy_);
    vista_->setItemDelegate(new DelegadoGrilla(vista_));
    vista_->setShowGrid(true);
    vista_->setSortingEnabled(false);  // titles sort through ordenarPor
    vista_->horizontalHeader()->setSectionsMovable(true);
    vista_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    vista_->horizontalHeader()->setSectionsClickable(true);
    vista_->verticalHeader()->setDefaultSectionSize(20);
    vista_->verticalHeader()->setMinimumWidth(16);
    vista_->setTextElideMode(Qt::ElideRight);
    vista_->installEventFilter(this);
    capas->addWidget(barraFiltros_);
    capas->addWidget(vista_);

    connect(vista_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int logica) {
        ordenarPor(logica, QApplication::keyboardModifiers() & Qt::ControlModifier);
    });
    auto reubicar = [this] { ubicarFiltros(); };
    connect(vista_->horizontalHeader(), &QHeaderView::sectionResized, this, reubicar);
    connect(vista_->horizontalHeader(), &QHeaderView::sectionMoved, this, reubicar);
    connect(vista_->horizontalScrollBar(), &QScrollBar::valueChanged, this, reubicar);
}

void Grilla::fijarModelo(ModeloFilas* modelo, bool soloLectura) {
    modelo_ = modelo;
    proxy_->setSourceModel(modelo);
    vista_->setEditTriggers(soloLectura ? QAbstractItemView::NoEditTriggers
                                        : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                              QAbstractItemView::SelectedClicked);
    vista_->setSelectionBehavior(soloLectura ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    vista_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(vista_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& actual) { proxy_->fijarFilaActual(actual.row()); });

    for (QLineEdit* f : filtros_) delete f;
    filtros_.clear();
    const auto& columnas = modelo->columnas();
    for (size_t c = 0; c < columnas.size(); ++c) {
        vista_->setColumnWidth(static_cast<int>(c), columnas[c].ancho);
        auto* filtro = new QLineEdit(barraFiltros_);
        filtro->setObjectName(QString("filtro%1").arg(c));
        connect(filtro, &QLineEdit::textChanged, this,
                [this, c](const QString& t) { proxy_->fijarFiltro(static_cast<int>(c), t); });
        filtros_.push_back(filtro);
    }
    if (!columnas.empty()) vista_->horizontalHeader()->setStretchLastSection(false);
    ubicarFiltros();
}

void Grilla::mostrarFiltros(bool visibles) {
    barraFiltros_->setVisible(visibles);
    if (!visibles) {  // a hidden filter must not keep rows away
        for (QLineEdit* f : filtros_) f->clear();
        proxy_->limpiarFiltros();
    }
    ubicarFiltros();
}

bool Grilla::filtrosVisibles() const { return !barraFiltros_->isHidden(); }

void Grilla::ordenarPor(int columna, bool agregar) { proxy_->ordenarPor(columna, agregar); }

int Grilla::filaActual() const {
    QModelIndex i = vista_->currentIndex();
    return i.isValid() ? proxy_->mapToSource(i).row() : (proxy_->rowCount() > 0 ? proxy_->mapToSource(proxy_->index(0, 0)).row() : -1);
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
    QHeaderView* h = vista_->horizontalHeader();
    for (int v = 0; v < h->count(); ++v) {
        int logica = h->logicalIndex(v);
        if (!h->isSectionHidden(logica)) columnas.push_back(logica);
    }
    for (int c : columnas) t.titulos.push_back(modelo_->columnas()[static_cast<size_t>(c)].titulo.toStdString());
    std::vector<int> filas;
    for (const QModelIndex& i : vista_->selectionModel()->selectedIndexes())
        if (std::find(filas.begin(), filas.end(), i.row()) == filas.end()) filas.push_back(i.row());
    std::sort(filas.begin(), filas.end());
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

bool Grilla::buscarSiguiente(const QString& texto) {
    if (texto.isEmpty()) return false;
    int n = proxy_->rowCount(), desde = vista_->currentIndex().isValid() ? vista_->currentIndex().row() : -1;
    for (int k = 1; k <= n; ++k) {
        int f = (desde + k) % n;
        for (int c = 0; c < proxy_->columnCount(); ++c) {
            QModelIndex i = proxy_->index(f, c);
            if (i.data(Qt::DisplayRole).toString().contains(texto, Qt::CaseInsensitive)) {
                vista_->setCurrentIndex(i);
                return true;
            }
        }
    }
    return false;
}

void Grilla::abrirBuscar() {
    QDialog dialogo(this);
    dialogo.setObjectName("dialogoBuscar");
    dialogo.setWindowTitle("Buscar");
    auto* capas = new QHBoxLayout(&dialogo);
    auto* texto = new QLineEdit(&dialogo);
    auto* siguiente = new QPushButton("Buscar &siguiente", &dialogo);
    auto* cerrar = new QPushButton("Cerrar", &dialogo);
    auto* aviso = new QLabel(&dialogo);
    capas->addWidget(new QLabel("Buscar:", &dialogo));
    capas->addWidget(texto);
    capas->addWidget(siguiente);
    capas->addWidget(cerrar);
    capas->addWidget(aviso);
    siguiente->setDefault(true);
    connect(siguiente, &QPushButton::clicked, &dialogo,
            [&] { aviso->setText(buscarSiguiente(texto->text()) ? QString() : QString("No se encontró")); });
    connect(cerrar, &QPushButton::clicked, &dialogo, &QDialog::accept);
    dialogo.exec();
}

bool Grilla::eventFilter(QObject* objeto, QEvent* evento) {
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
        if (tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter) {
            // Enter moves to the next cell, then to the next row.
            QModelIndex i = vista_->currentIndex();
            int columnas = proxy_->columnCount(), filas = proxy_->rowCount();
            if (i.isValid() && columnas > 0) {
                QHeaderView* h = vista_->horizontalHeader();
                int visual = h->visualIndex(i.column()) + 1, fila = i.row();
                if (visual >= columnas) visual = 0, fila = std::min(fila + 1, filas - 1);
                vista_->setCurrentIndex(proxy_->index(fila, h->logicalIndex(visual)));
            }
            return true;
        }
        const QString t = tecla->text();
        if (!t.isEmpty() && t.at(0).isPrint() && !(tecla->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            // Typing searches in the current column rather than editing it.
            if (!ultimaTecla_.isValid() || ultimaTecla_.elapsed() > 1500) busqueda_.clear();
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
    QHeaderView* h = vista_->horizontalHeader();
    int margen = vista_->verticalHeader()->width() + vista_->frameWidth();
    for (size_t c = 0; c < filtros_.size(); ++c) {
        int logica = static_cast<int>(c);
        filtros_[c]->setGeometry(margen + h->sectionViewportPosition(logica), 0, h->sectionSize(logica), 24);
        filtros_[c]->setVisible(!h->isSectionHidden(logica));
    }
}

}  // namespace screens
