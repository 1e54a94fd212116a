#include "app/combo_busqueda.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTableView>

namespace app {

ComboBusqueda::ComboBusqueda(const QStringList& titulos, int columnaVisible, QWidget* padre)
    : QComboBox(padre), modelo_(new QStandardItemModel(0, titulos.size(), this)), grilla_(new QTableView(this)) {
    modelo_->setHorizontalHeaderLabels(titulos);
    setModel(modelo_);
    setModelColumn(columnaVisible);
    grilla_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grilla_->setSelectionMode(QAbstractItemView::SingleSelection);
    grilla_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grilla_->verticalHeader()->hide();
    grilla_->horizontalHeader()->setStretchLastSection(true);
    grilla_->setWordWrap(false);
    setView(grilla_);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

void ComboBusqueda::fijarFilas(const QList<QStringList>& filas) {
    const QSignalBlocker bloqueo(this);
    modelo_->removeRows(0, modelo_->rowCount());
    for (const QStringList& fila : filas) {
        QList<QStandardItem*> celdas;
        for (int c = 0; c < modelo_->columnCount(); ++c)
            celdas << new QStandardItem(c < fila.size() ? fila[c] : QString());
        modelo_->appendRow(celdas);
    }
    // A plain combo selects its first row when rows arrive; a lookup starts empty.
    setCurrentIndex(-1);
}

QString ComboBusqueda::valorClave() const {
    const int fila = currentIndex();
    return fila < 0 ? QString() : modelo_->item(fila, 0)->text();
}

bool ComboBusqueda::fijarValorClave(const QString& clave) {
    for (int fila = 0; fila < modelo_->rowCount(); ++fila)
        if (modelo_->item(fila, 0)->text() == clave) {
            setCurrentIndex(fila);
            return true;
        }
    setCurrentIndex(-1);
    return false;
}

void ComboBusqueda::showPopup() {
    grilla_->resizeColumnsToContents();
    int ancho = grilla_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < modelo_->columnCount(); ++c) ancho += grilla_->columnWidth(c);
    grilla_->setMinimumWidth(qMax(width(), ancho + 2 * grilla_->frameWidth()));
    QComboBox::showPopup();
}

}  // namespace app
