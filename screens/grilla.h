// The data grid of the screens: a table view over rows read from the
// database, with in-memory sorting (several columns), a filter row,
// incremental search, a find dialog, copy and export of the selection, a
// check-box column and a lookup column.
#pragma once

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
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
    static constexpr int kRolClave = Qt::UserRole + 2;  // Busqueda: the key itself

    explicit ModeloFilas(QObject* padre = nullptr) : QAbstractTableModel(padre) {}
    void fijar(db::ConjuntoFilas filas, std::vector<ColumnaGrilla> columnas);
    db::ConjuntoFilas& filas() { return filas_; }
    const db::ConjuntoFilas& filas() const { return filas_; }
    const std::vector<ColumnaGrilla>& columnas() const { return columnas_; }
    // Index in the row set of a visible row.
    size_t filaDatos(int fila) const { return visibles_.at(static_cast<size_t>(fila)); }

    int agregar();              // appends a row to be inserted; answers its row
    void borrar(int fila);      // marks it deleted (an unsent row just goes)
    void quitar(int fila);      // drops it from memory only
    void revertir(int fila);    // undoes the row's pending changes
    bool hayCambios() const;
    // A row with changes not yet checked for posting (an appended row that
    // was never filled in does not count: leaving it drops it).
    bool pendiente(int fila) const;
    // An appended row whose cells are all still empty.
    bool sinTocar(int fila) const;
    QString texto(int fila, int columna) const;
    // Largest number of characters the column's cells take (0: no limit).
    int largoMaximo(int columna) const;

    int rowCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : int(visibles_.size()); }
    int columnCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : int(columnas_.size()); }
    QVariant data(const QModelIndex& i, int rol) const override;
    // EditRole takes a text (Busqueda: a name), CheckStateRole a check
    // state, kRolClave a key for a Busqueda column. Answers false and keeps
    // the cell when the value does not fit the column.
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
    // Keeps the rows whose text in `columna` contains `texto` (any case).
    void fijarFiltro(int columna, const QString& texto);
    void limpiarFiltros();
    // Filters that are off keep their texts but let every row through.
    void activarFiltros(bool activos);
    void fijarFilaActual(int fila);
    // Horizontal: the title with its sort marker. Vertical: the row
    // indicator (current row, appended or changed row).
    QVariant headerData(int s, Qt::Orientation o, int rol) const override;

protected:
    bool lessThan(const QModelIndex& a, const QModelIndex& b) const override;
    bool filterAcceptsRow(int fila, const QModelIndex& padre) const override;

private:
    std::vector<std::pair<int, Qt::SortOrder>> orden_;
    std::vector<QString> filtros_;
    bool filtrosActivos_ = true;
    int filaActual_ = -1;
};

// Editors of the cells: a list of names for a Busqueda column, a line edit
// no longer than the column for the others.
class DelegadoGrilla : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* padre, const QStyleOptionViewItem& o, const QModelIndex& i) const override;
    void setEditorData(QWidget* editor, const QModelIndex& i) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* m, const QModelIndex& i) const override;
};

// The find dialog: not modal, it stays open while the operator looks at the
// row found; "Buscar siguiente" goes on from the current row.
class DialogoBuscar : public QDialog {
    Q_OBJECT
public:
    explicit DialogoBuscar(class Grilla* grilla);
    QCheckBox* soloColumna() const { return soloColumna_; }
    QLabel* aviso() const { return aviso_; }
    QLineEdit* texto() const { return texto_; }
    // Searches once; answers whether a row was found (and says so if not).
    bool buscarSiguiente();

private:
    class Grilla* grilla_;
    QLineEdit* texto_;
    QCheckBox* soloColumna_;
    QLabel* aviso_;
};

class Grilla : public QWidget {
    Q_OBJECT
public:
    explicit Grilla(QWidget* padre = nullptr);
    ~Grilla() override;
    // Shows the model's rows. The column widths and the filter row are set
    // up when the columns change; a model read again with the same columns
    // keeps the operator's widths, order, sort and filters.
    void fijarModelo(ModeloFilas* modelo, bool soloLectura);
    ModeloFilas* modelo() const { return modelo_; }
    ProxyGrilla* proxy() const { return proxy_; }
    QTableView* vista() const { return vista_; }

    // Typing in the grid searches the current column (the default) or, when
    // off, starts editing the cell.
    void fijarBusquedaAlEscribir(bool busca);
    void mostrarFiltros(bool visibles);
    bool filtrosVisibles() const;
    QLineEdit* filtro(int columna) const;
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
    // Next row after the current one with `texto` in any column (or in the
    // current column only), going round to the top.
    bool buscarSiguiente(const QString& texto, bool soloColumnaActual = false);
    // Shows the find dialog (Ctrl+F) and answers it.
    DialogoBuscar* abrirBuscar();

signals:
    // The current row changed (model rows; -1 for none).
    void filaCambiada(int anterior, int actual);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void ubicarFiltros();
    void disponerColumnas();
    void fijarDisparadores();

    QTableView* vista_;
    class CabeceraGrilla* cabecera_;
    ProxyGrilla* proxy_;
    ModeloFilas* modelo_ = nullptr;
    bool soloLectura_ = true;
    bool buscaAlEscribir_ = true;
    std::vector<QLineEdit*> filtros_;
    std::vector<QString> titulosDispuestos_;
    QString busqueda_;
    QElapsedTimer ultimaTecla_;
    QPointer<DialogoBuscar> buscar_;
};

}  // namespace screens
