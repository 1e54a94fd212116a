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
    QAction* accion(Boton b) const { return acciones_[b]; }

signals:
    void pulsado(int boton);

private:
    QAction* acciones_[10] = {};
};

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

class PantallaEventos : public QDialog {
    Q_OBJECT
public:
    PantallaEventos(db::Conexion& local, FormaListaEventos forma, QWidget* padre = nullptr);
    Grilla* grilla() const { return grilla_; }
    QCheckBox* casillaFiltros() const { return filtros_; }
    QMenu* menu() const { return menu_; }
    Navegador* navegador() const { return navegador_; }

    void leer();               // reads the list again
    void borrar();             // "Borrar"
    void guardarSeleccion();   // "&Guardar selección"
    void borrarDeLaVista();    // the navigator's delete: the snapshot only

protected:
    void showEvent(QShowEvent* e) override;

private:
    db::Conexion& local_;
    FormaListaEventos forma_;
    Grilla* grilla_;
    ModeloFilas* modelo_;
    QCheckBox* filtros_;
    QMenu* menu_;
    Navegador* navegador_;
    bool leida_ = false;
};

// The company and document replication settings: rows edited in memory,
// written by "Grabar" in one transaction.
struct FormaEdicion {
    QString titulo;
    std::string consulta;
    QSize tamanio;
    // Builds the grid's columns from the rows read (labels are set here too).
    std::function<std::vector<ColumnaGrilla>(db::Conexion&, db::ConjuntoFilas&)> columnas;
};

FormaEdicion formaCompanias();
FormaEdicion formaConfDocumentos();

class PantallaEdicion : public QDialog {
    Q_OBJECT
public:
    PantallaEdicion(db::Conexion& local, FormaEdicion forma, QWidget* padre = nullptr);
    Grilla* grilla() const { return grilla_; }
    ModeloFilas* modelo() const { return modelo_; }
    Navegador* navegador() const { return navegador_; }

    // Writes every pending change in one transaction and closes; a row the
    // database refuses is reported and the screen stays open with its changes.
    void grabar();
    int insertar();
    void borrarFila();
    bool postear();  // checks the current row's required columns
    void cancelarFila();

private:
    void leer();
    db::Conexion& local_;
    FormaEdicion forma_;
    Grilla* grilla_;
    ModeloFilas* modelo_;
    Navegador* navegador_;
};

}  // namespace screens
