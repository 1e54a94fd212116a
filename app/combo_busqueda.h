// A lookup combo box: the drop-down is a small grid of rows whose first
// column is the key; the closed box shows one chosen column of the row.
#pragma once

#include <QComboBox>
#include <QStringList>

class QStandardItemModel;
class QTableView;

namespace app {

class ComboBusqueda : public QComboBox {
    Q_OBJECT
public:
    // `titulos` are the grid's column titles; the closed box shows column
    // `columnaVisible`.
    ComboBusqueda(const QStringList& titulos, int columnaVisible, QWidget* padre = nullptr);

    // Replaces the rows; afterwards nothing is selected. Signals are not
    // emitted for the change.
    void fijarFilas(const QList<QStringList>& filas);
    // The first column of the selected row; empty when nothing is selected.
    QString valorClave() const;
    // Selects the row whose key is `clave` (no row when there is none);
    // answers whether one was found. Emits the usual change signals.
    bool fijarValorClave(const QString& clave);

    void showPopup() override;

private:
    QStandardItemModel* modelo_;
    QTableView* grilla_;
};

}  // namespace app
