// The grid over rows in memory: sorting, filter row, search, Enter, copy,
// selection, the check-box and lookup columns.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTest>

#include "screens/grilla.h"

using namespace screens;
using db::Valor;

namespace {

class GrillaEnMemoria : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<db::Columna> cols(4);
        const char* nombres[] = {"NOMBRE", "CANTIDAD", "ACTIVA", "TIPO"};
        unsigned tipos[] = {448, 496, 452, 496};  // VARCHAR, INTEGER, CHAR, INTEGER
        for (int i = 0; i < 4; ++i) cols[i].nombre = nombres[i], cols[i].tipoSql = tipos[i];
        db::ConjuntoFilas filas(cols, nullptr);
        struct F {
            const char* nombre;
            int cantidad;
            const char* activa;
            int tipo;
        };
        for (F f : {F{"bravo", 10, "S", 11}, F{"alfa", 2, "N", 12}, F{"charlie", 10, "S", 11}, F{"Beta", 7, "", 99}}) {
            size_t i = filas.agregar();
            filas.asignar(i, 0, Valor::texto(f.nombre));
            filas.asignar(i, 1, Valor::entero(f.cantidad));
            filas.asignar(i, 2, Valor::texto(f.activa));
            filas.asignar(i, 3, Valor::entero(f.tipo));
        }
        std::vector<ColumnaGrilla> columnas(4);
        columnas[0] = {"Nombre", 90, 0, ColumnaGrilla::Tipo::Texto, true, {}};
        columnas[1] = {"Cantidad", 60, 1, ColumnaGrilla::Tipo::Texto, false, {}};
        columnas[2] = {"Activa", 40, 2, ColumnaGrilla::Tipo::Casilla, true, {}};
        columnas[3] = {"Tipo", 80, 3, ColumnaGrilla::Tipo::Busqueda, true, {{11, "ENTRADA"}, {12, "SALIDA"}}};
        modelo.fijar(std::move(filas), std::move(columnas));
        grilla.fijarModelo(&modelo, false);
        grilla.resize(400, 300);
        grilla.show();
    }

    // The column shown in view order.
    std::vector<QString> columnaVista(int c) {
        std::vector<QString> r;
        for (int f = 0; f < grilla.proxy()->rowCount(); ++f) r.push_back(grilla.proxy()->index(f, c).data().toString());
        return r;
    }

    ModeloFilas modelo;
    Grilla grilla;
};

TEST_F(GrillaEnMemoria, OrdenarPorTitulosSoloCambiaLoQueSeMuestra) {
    grilla.ordenarPor(1, false);  // Cantidad, as numbers: 2 before 10
    EXPECT_EQ(columnaVista(0), (std::vector<QString>{"alfa", "Beta", "bravo", "charlie"}));
    grilla.ordenarPor(1, false);  // a second click reverses
    EXPECT_EQ(columnaVista(1).front(), "10");
    grilla.ordenarPor(0, true);   // Ctrl+click: then by name
    EXPECT_EQ(columnaVista(0), (std::vector<QString>{"bravo", "charlie", "Beta", "alfa"}));
    EXPECT_TRUE(grilla.proxy()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString().contains(QString::fromUtf8("▼")));
    EXPECT_TRUE(grilla.proxy()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString().endsWith("2"));
    // The rows themselves keep the order read.
    EXPECT_EQ(modelo.index(0, 0).data().toString(), "bravo");

    // A click on the title through the header does the same.
    QHeaderView* h = grilla.vista()->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(0) + 5, 5));
    EXPECT_EQ(grilla.proxy()->orden().size(), 1u);
}

TEST_F(GrillaEnMemoria, FilaDeFiltrosSoloMientrasEstaVisible) {
    EXPECT_FALSE(grilla.filtrosVisibles());
    grilla.mostrarFiltros(true);
    auto* filtro = grilla.findChild<QLineEdit*>("filtro0");
    ASSERT_TRUE(filtro);
    QTest::keyClicks(filtro, "b");
    EXPECT_EQ(columnaVista(0), (std::vector<QString>{"bravo", "Beta"})) << "sin distinguir mayúsculas";
    grilla.proxy()->fijarFiltro(2, "S");
    EXPECT_EQ(columnaVista(0), (std::vector<QString>{"bravo"}));
    grilla.mostrarFiltros(false);
    EXPECT_EQ(grilla.proxy()->rowCount(), 4) << "ocultar la fila quita los filtros";
}

TEST_F(GrillaEnMemoria, BusquedaIncrementalEnterYBuscar) {
    grilla.vista()->setFocus();
    grilla.vista()->setCurrentIndex(grilla.proxy()->index(0, 0));
    QTest::keyClicks(grilla.vista(), "ch");
    EXPECT_EQ(grilla.vista()->currentIndex().data().toString(), "charlie");
    EXPECT_EQ(modelo.index(2, 0).data().toString(), "charlie") << "escribir busca, no edita";
    QTest::keyClick(grilla.vista(), Qt::Key_Return);
    EXPECT_EQ(grilla.vista()->currentIndex().column(), 1);
    EXPECT_EQ(grilla.vista()->currentIndex().row(), 2);
    grilla.vista()->setCurrentIndex(grilla.proxy()->index(2, 3));
    QTest::keyClick(grilla.vista(), Qt::Key_Enter);
    EXPECT_EQ(grilla.vista()->currentIndex().row(), 3) << "de la última celda a la fila siguiente";
    EXPECT_EQ(grilla.vista()->currentIndex().column(), 0);
    EXPECT_TRUE(grilla.buscarSiguiente("ENTRADA"));
    EXPECT_EQ(grilla.vista()->currentIndex().row(), 0);
    EXPECT_FALSE(grilla.buscarSiguiente("zulu"));
}

TEST_F(GrillaEnMemoria, CopiaYExportacionLlevanSoloLaSeleccion) {
    QItemSelectionModel* sel = grilla.vista()->selectionModel();
    sel->select(grilla.proxy()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    sel->select(grilla.proxy()->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    TablaExportada t = grilla.seleccion();
    EXPECT_EQ(t.titulos, (std::vector<std::string>{"Nombre", "Cantidad", "Activa", "Tipo"}));
    ASSERT_EQ(t.filas.size(), 2u);
    EXPECT_EQ(t.filas[0], (std::vector<std::string>{"alfa", "2", "N", "SALIDA"}));
    EXPECT_EQ(t.filas[1], (std::vector<std::string>{"Beta", "7", "", ""})) << "un tipo sin nombre queda vacío";
    grilla.copiar();
    EXPECT_EQ(QApplication::clipboard()->text(), "alfa\t2\tN\tSALIDA\r\nBeta\t7\t\t\r\n");

    // Moving a column changes the exported order too.
    grilla.vista()->horizontalHeader()->moveSection(0, 3);
    EXPECT_EQ(grilla.seleccion().titulos.back(), "Nombre");
    grilla.seleccionarTodo();
    EXPECT_EQ(grilla.seleccion().filas.size(), 4u);
}

TEST_F(GrillaEnMemoria, CasillaYBusquedaGuardanSusValores) {
    QModelIndex activa = modelo.index(1, 2);
    EXPECT_EQ(activa.data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    ASSERT_TRUE(modelo.setData(activa, Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(modelo.filas().valor(modelo.filaDatos(1), 2).comoTexto(), "S");
    ASSERT_TRUE(modelo.setData(activa, Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(modelo.filas().valor(modelo.filaDatos(1), 2).comoTexto(), "N");
    EXPECT_EQ(modelo.index(3, 2).data(Qt::CheckStateRole).toInt(), Qt::Unchecked) << "vacío cuenta como inactiva";

    ASSERT_TRUE(modelo.setData(modelo.index(1, 3), "ENTRADA", Qt::EditRole));
    EXPECT_EQ(modelo.filas().valor(modelo.filaDatos(1), 3).comoEntero(), 11);
    EXPECT_FALSE(modelo.setData(modelo.index(1, 1), "x", Qt::EditRole)) << "columna de solo lectura";
    EXPECT_TRUE(modelo.hayCambios());
}

}  // namespace
