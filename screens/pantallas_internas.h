// The screens' windows, for the entry points in pantallas.h and for tests.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>

#include <functional>

#include <string>
#include <vector>

#include "db/conexion.h"
#include "screens/grilla.h"

namespace screens {

// Record navigator: buttons named navPrimero, navAnterior, navSiguiente,
// navUltimo, navInsertar, navBorrar, navEditar, navGrabar, navCancelar,
// navRefrescar; the screen connects the ones it offers.
class Navegador : public QToolBar {
    Q_OBJECT
public:
    enum Boton { Primero, Anterior, Siguiente, Ultimo, Insertar, Borrar, Editar, Grabar, Cancelar, Refrescar };
    Navegador(const std::vector<Boton>& botones, QWidget* padre);
    // nullptr for a button the screen does not offer.
    QAction* accion(Boton b) const { return acciones_[b]; }

signals:
    void pulsado(int boton);

private:
    QAction* acciones_[10] = {};
};

// The question the navigator asks before its delete.
QString preguntaBorrarRegistro();

// The error messages and pending documents lists.
struct FormaListaEventos {
    QString titulo;
    std::string consulta;
    bool columnaError;
    QString nombreArchivo;
    QSize tamanio;
    bool borrarEnNavegador;
};

FormaListaEventos formaMensajesError();
FormaListaEventos formaPendientes();

// A read-only list of queue events. It reads the list every time the window
// becomes active, except when it comes back from a box or dialog of its own
// (a question, the save dialog, an error, the find dialog), so what the
// operator just did there is not undone by a new read.
class PantallaEventos : public QDialog {
    Q_OBJECT
public:
    PantallaEventos(db::Conexion& local, FormaListaEventos forma, QWidget* padre = nullptr);
    Grilla* grilla() const { return grilla_; }
    QCheckBox* casillaFiltros() const { return filtros_; }
    QMenu* menu() const { return menu_; }
    Navegador* navegador() const { return navegador_; }

    // Reads the list again (hooking the error capture), staying on the same
    // event when it is still listed. Throws what the statement throws.
    void leer();
    void borrar();             // "Borrar"
    void copiar();             // "&Copiar"
    void seleccionarTodo();    // "Se&lecccionar todo"
    void guardarSeleccion();   // "&Guardar selección"
    void borrarDeLaVista();    // the navigator's delete: the snapshot only

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // Runs an action that may open a box of this screen, reporting errors.
    void conDialogos(const std::function<void()>& accion);

    db::Conexion& local_;
    FormaListaEventos forma_;
    Grilla* grilla_;
    ModeloFilas* modelo_;
    QCheckBox* filtros_;
    QMenu* menu_;
    Navegador* navegador_;
    int dialogosAbiertos_ = 0;
    bool vuelveDeDialogo_ = false;
    bool leidaAlMostrar_ = false;
};

// The company and document replication settings: rows edited in memory,
// written by "Grabar" in one transaction.
struct FormaEdicion {
    QString titulo;
    std::string consulta;
    QSize tamanio;
    // Typing in the grid searches (true) or edits the cell (false).
    bool buscaAlEscribir;
    // Builds the grid's columns from the rows read (labels are set here too).
    std::function<std::vector<ColumnaGrilla>(db::Conexion&, db::ConjuntoFilas&)> columnas;
};

FormaEdicion formaCompanias();
FormaEdicion formaConfDocumentos();

// Reads the rows when created; edits, inserts and deletes stay in memory
// until "Grabar". A changed row is checked when the operator leaves it: one
// with a required column empty is reported and the grid goes back to it.
class PantallaEdicion : public QDialog {
    Q_OBJECT
public:
    PantallaEdicion(db::Conexion& local, FormaEdicion forma, QWidget* padre = nullptr);
    Grilla* grilla() const { return grilla_; }
    ModeloFilas* modelo() const { return modelo_; }
    Navegador* navegador() const { return navegador_; }

    // Writes every pending change in one transaction and closes; when the
    // database refuses a row, nothing is kept, the message is shown and the
    // screen stays open with its changes.
    void grabar();
    // Appends a row and moves to it, after checking the current one; -1
    // when the current row cannot be left.
    int insertar();
    void borrarFila();   // the navigator's delete, after its question
    bool postear();      // checks the current row's required columns
    void cancelarFila(); // undoes the current row's changes
    void refrescar();    // reads the rows again; only without pending changes

private:
    void leer();
    bool verificar(int fila);
    void alCambiarFila(int anterior);
    void actualizarNavegador();

    db::Conexion& local_;
    FormaEdicion forma_;
    Grilla* grilla_;
    ModeloFilas* modelo_;
    Navegador* navegador_;
    bool moviendo_ = false;  // our own moves and changes: no check on leaving
};

}  // namespace screens
