// The data grid of the screens: a table view over rows read from the
// database, with in-memory sorting (several columns), a filter row,
// incremental search, a find dialog, copy and export of the selection, a
// check-box column and a lookup column.
#pragma once

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QWidget>

#include <cstdint>
#include <utility>
#include <vector>

#include "db/conjunto_filas.h"
#include "screens/exportar.h"

namespace screens {

struct ColumnaGrilla {
    enum class Tipo { Texto, Casilla, Busqueda };
    QString titulo;
    int ancho = 80;
    int columnaDatos = -1;  // index in the row set (Busqueda: the key column)
    Tipo tipo = Tipo::Texto;
    bool editable = false;
    // Busqueda: key -> name shown; choosing a name stores its key.
    std::vector<std::pair<int64_t, QString>> opciones;
};

// The rows of a db::ConjuntoFilas as a table; rows marked deleted are hidden.
class ModeloFilas : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kRolOrden = Qt::UserRole + 1;  // typed value for sorting

    explicit ModeloFilas(QObject* padre = nullptr) : QAbstractTableModel(padre) {}
    void fijar(db::ConjuntoFilas filas, std::vector<ColumnaGrilla> columnas);
    db::ConjuntoFilas& filas() { return filas_; }
    const std::vector<ColumnaGrilla>& columnas() const { return columnas_; }
    // Index in the row set of a visible row.
    size_t filaDatos(int fila) const { return visibles_.at(static_cast<size_t>(fila)); }

    int agregar();              // appends a row to be inserted; answers its row
    void borrar(int fila);      // marks it deleted (an unsent row just goes)
    void quitar(int fila);      // drops it from memory only
    bool hayCambios() const;
    QString texto(int fila, int columna) const;

    int rowCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : int(visibles_.size()); }
    int columnCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : int(columnas_.size()); }
    QVariant data(const QModelIndex& i, int rol) const override;
    bool setData(const QModelIndex& i, const QVariant& v, int rol) override;
    QVariant headerData(int s, Qt::Orientation o, int rol) const override;
    Qt::ItemFlags flags(const QModelIndex& i) const override;

private:
    void recalcularVisibles();
    db::ConjuntoFilas filas_;
    std::vector<ColumnaGrilla> columnas_;
    std::vector<size_t> visibles_;
};

// Sorting by several columns and the filter row, both in memory.
class ProxyGrilla : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    // Click: sort by `columna` alone (a second click reverses it); with
    // `agregar` (Ctrl+click) the column joins the sort keys.
    void ordenarPor(int columna, bool agregar);
    const std::vector<std::pair<int, Qt::SortOrder>>& orden() const { return orden_; }
    void fijarFiltro(int columna, const QString& texto);
    void limpiarFiltros();
    void fijarFilaActual(int fila);
    QVariant headerData(int s, Qt::Orientation o, int rol) const override;

protected:
    bool lessThan(const QModelIndex& a, const QModelIndex& b) const override;
    bool filterAcceptsRow(int fila, const QModelIndex& padre) const override;

private:
    std::vector<std::pair<int, Qt::SortOrder>> orden_;
    std::vector<QString> filtros_;
    int filaActual_ = -1;
};

class DelegadoGrilla : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* padre, const QStyleOptionViewItem& o, const QModelIndex& i) const override;
    void setEditorData(QWidget* editor, const QModelIndex& i) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* m, const QModelIndex& i) const override;
};

class Grilla : public QWidget {
    Q_OBJECT
public:
    explicit Grilla(QWidget* padre = nullptr);
    void fijarModelo(ModeloFilas* modelo, bool soloLectura);
    ModeloFilas* modelo() const { return modelo_; }
    ProxyGrilla* proxy() const { return proxy_; }
    QTableView* vista() const { return vista_; }

    void mostrarFiltros(bool visibles);
    bool filtrosVisibles() const;
    void ordenarPor(int columna, bool agregar);
    // Current row in the model (not the view), or -1.
    int filaActual() const;
    void irAFila(int filaModelo);
    // Selected rows in the order shown, visible columns in their visual order.
    TablaExportada seleccion() const;
    void copiar();
    void seleccionarTodo();
    // Moves to the first row whose text in the current column starts with `texto`.
    bool buscarIncremental(const QString& texto);
    // Next row after the current one with `texto` in any column (find dialog).
    bool buscarSiguiente(const QString& texto);
    void abrirBuscar();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void ubicarFiltros();
    void actualizarTitulos();

    QTableView* vista_;
    ProxyGrilla* proxy_;
    ModeloFilas* modelo_ = nullptr;
    QWidget* barraFiltros_;
    std::vector<QLineEdit*> filtros_;
    QString busqueda_;
    QElapsedTimer ultimaTecla_;
};

}  // namespace screens
