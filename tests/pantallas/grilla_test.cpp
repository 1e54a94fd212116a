// The grid over rows in memory: sorting, filter row, search, Enter, copy,
// selection, the check-box and lookup columns.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
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

TEST_F(GrillaEnMemoria, TitulosOrdenanConClicYCtrlClicSinDistinguirMayusculas) {
    QHeaderView* h = grilla.vista()->horizontalHeader();
    auto clic = [&](int columna, Qt::KeyboardModifiers teclas) {
        QTest::mouseClick(h->viewport(), Qt::LeftButton, teclas, QPoint(h->sectionViewportPosition(columna) + 5, 5));
    };
    clic(0, {});
    EXPECT_EQ(columnaVista(0), (std::vector<QString>{"alfa", "Beta", "bravo", "charlie"}));
    clic(1, {});  // another title alone replaces the sort
    EXPECT_EQ(grilla.proxy()->orden().size(), 1u);
    EXPECT_EQ(grilla.proxy()->orden()[0].first, 1);
    clic(0, Qt::ControlModifier);  // Ctrl: name after quantity
    ASSERT_EQ(grilla.proxy()->orden().size(), 2u);
    EXPECT_EQ(columnaVista(0), (std::vector<QString>{"alfa", "Beta", "bravo", "charlie"}));
    clic(0, Qt::ControlModifier);  // again: name descending, quantity still first
    EXPECT_EQ(columnaVista(0), (std::vector<QString>{"alfa", "Beta", "charlie", "bravo"}));
    EXPECT_EQ(grilla.proxy()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8("Cantidad ▲1"));
    EXPECT_EQ(grilla.proxy()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8("Nombre ▼2"));
    EXPECT_EQ(grilla.seleccion().titulos[0], "Nombre") << "las marcas no pasan a la exportación";
}

TEST_F(GrillaEnMemoria, FilaDeFiltrosBajoLosTitulosYConservaSusTextos) {
    QHeaderView* h = grilla.vista()->horizontalHeader();
    const int altoTitulos = h->height();
    grilla.mostrarFiltros(true);
    QTRY_VERIFY(h->height() > altoTitulos);
    QLineEdit* filtro = grilla.filtro(2);
    ASSERT_TRUE(filtro);
    EXPECT_TRUE(filtro->isVisible());
    EXPECT_EQ(filtro->parentWidget(), h->viewport());
    EXPECT_GE(filtro->geometry().top(), altoTitulos - 1) << "debajo de los títulos";
    EXPECT_EQ(filtro->geometry().left(), h->sectionViewportPosition(2));
    filtro->setText("s");  // the check-box column filters by its S/N text
    EXPECT_EQ(columnaVista(0), (std::vector<QString>{"bravo", "charlie"}));

    grilla.mostrarFiltros(false);
    EXPECT_EQ(grilla.proxy()->rowCount(), 4);
    EXPECT_FALSE(filtro->isVisible());
    grilla.mostrarFiltros(true);
    EXPECT_EQ(filtro->text(), "s");
    EXPECT_EQ(grilla.proxy()->rowCount(), 2) << "al mostrarla otra vez el filtro vuelve a valer";

    // The rows read again (same columns): widths, filters and sort stay.
    grilla.vista()->setColumnWidth(0, 150);
    grilla.ordenarPor(0, false);
    db::ConjuntoFilas copia = modelo.filas();
    std::vector<ColumnaGrilla> columnas = modelo.columnas();
    modelo.fijar(std::move(copia), std::move(columnas));
    grilla.fijarModelo(&modelo, false);
    EXPECT_EQ(grilla.vista()->columnWidth(0), 150);
    EXPECT_EQ(grilla.filtro(2)->text(), "s");
    EXPECT_EQ(columnaVista(0), (std::vector<QString>{"bravo", "charlie"}));
}

TEST_F(GrillaEnMemoria, DialogoBuscarConCtrlF) {
    grilla.vista()->setFocus();
    grilla.vista()->setCurrentIndex(grilla.proxy()->index(0, 0));
    QTest::keyClick(grilla.vista(), Qt::Key_F, Qt::ControlModifier);
    auto* buscar = grilla.findChild<DialogoBuscar*>();
    ASSERT_TRUE(buscar);
    EXPECT_TRUE(buscar->isVisible());
    EXPECT_FALSE(buscar->isModal()) << "la grilla sigue a la vista mientras se busca";
    buscar->texto()->setText("10");
    QTest::mouseClick(buscar->findChild<QPushButton*>("btnBuscarSiguiente"), Qt::LeftButton);
    EXPECT_EQ(grilla.vista()->currentIndex().row(), 2) << "siguiente fila con el texto";
    EXPECT_TRUE(buscar->buscarSiguiente());
    EXPECT_EQ(grilla.vista()->currentIndex().row(), 0) << "vuelve a empezar arriba";

    grilla.vista()->setCurrentIndex(grilla.proxy()->index(0, 0));
    buscar->texto()->setText("SALIDA");
    buscar->soloColumna()->setChecked(true);  // the current column is Nombre
    EXPECT_FALSE(buscar->buscarSiguiente());
    EXPECT_FALSE(buscar->aviso()->text().isEmpty());
    buscar->soloColumna()->setChecked(false);
    EXPECT_TRUE(buscar->buscarSiguiente());
    EXPECT_EQ(grilla.vista()->currentIndex().row(), 1);
    EXPECT_TRUE(buscar->aviso()->text().isEmpty());
    EXPECT_EQ(grilla.abrirBuscar(), buscar) << "un solo diálogo";
}

TEST_F(GrillaEnMemoria, CtrlCCopiaYEspacioMarcaLaCasilla) {
    grilla.vista()->setFocus();
    grilla.vista()->setCurrentIndex(grilla.proxy()->index(1, 2));
    QTest::keyClick(grilla.vista(), Qt::Key_Space);
    EXPECT_EQ(modelo.filas().valor(modelo.filaDatos(1), 2).comoTexto(), "S") << "el espacio no inicia una búsqueda";
    QTest::keyClick(grilla.vista(), Qt::Key_Space);
    EXPECT_EQ(modelo.filas().valor(modelo.filaDatos(1), 2).comoTexto(), "N");

    grilla.vista()->selectionModel()->select(grilla.proxy()->index(0, 0),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(grilla.vista(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "bravo\t10\tS\tENTRADA\r\n");
}

TEST_F(GrillaEnMemoria, ListaDeTiposGuardaElCodigoDelElegido) {
    // Two types with the same short name: the code chosen is the one stored.
    std::vector<ColumnaGrilla> columnas = modelo.columnas();
    columnas[3].opciones = {{11, "ENTRADA"}, {12, "SALIDA"}, {13, "SALIDA"}};
    db::ConjuntoFilas filas = modelo.filas();
    modelo.fijar(std::move(filas), std::move(columnas));
    grilla.fijarModelo(&modelo, false);
    QModelIndex celda = grilla.proxy()->index(0, 3);
    grilla.vista()->setCurrentIndex(celda);
    grilla.vista()->edit(celda);
    auto* lista = grilla.vista()->findChild<QComboBox*>("listaBusqueda");
    ASSERT_TRUE(lista);
    EXPECT_EQ(lista->currentText(), "ENTRADA") << "abre en el tipo de la fila";
    ASSERT_EQ(lista->count(), 4);
    lista->setCurrentIndex(3);
    emit lista->activated(3);
    QTRY_VERIFY(!grilla.vista()->findChild<QComboBox*>("listaBusqueda"));
    EXPECT_EQ(modelo.filas().valor(modelo.filaDatos(0), 3).comoEntero(), 13);
    EXPECT_EQ(celda.data().toString(), "SALIDA");
    EXPECT_FALSE(modelo.setData(modelo.index(0, 3), "OTRO", Qt::EditRole)) << "un nombre que no está en la lista";
    EXPECT_EQ(modelo.filas().valor(modelo.filaDatos(0), 3).comoEntero(), 13);
}

TEST_F(GrillaEnMemoria, AlEscribirBuscaOEditaSegunLaPantalla) {
    grilla.vista()->setFocus();
    grilla.vista()->setCurrentIndex(grilla.proxy()->index(0, 0));
    grilla.fijarBusquedaAlEscribir(false);
    QTest::keyClicks(grilla.vista(), "x");
    auto* editor = grilla.vista()->findChild<QLineEdit*>("editorCelda");
    ASSERT_TRUE(editor) << "escribir abre el editor de la celda";
    EXPECT_EQ(editor->text(), "x");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(modelo.index(0, 0).data().toString(), "x");
}

TEST(Grilla, IndicadorLargoYBlancosDeLasColumnasDeTexto) {
    std::vector<db::Columna> cols(2);
    cols[0].nombre = "COD", cols[0].tipoSql = 452, cols[0].longitud = 3;  // CHAR(3)
    cols[1].nombre = "NOMBRE", cols[1].tipoSql = 448, cols[1].longitud = 10;
    db::ConjuntoFilas filas(cols, nullptr);
    filas.asignar(filas.agregar(), 0, Valor::texto("7  "));
    ModeloFilas modelo;
    modelo.fijar(std::move(filas), {{"Código", 38, 0, ColumnaGrilla::Tipo::Texto, true, {}},
                                    {"Nombre", 90, 1, ColumnaGrilla::Tipo::Texto, true, {}}});
    Grilla grilla;
    grilla.fijarModelo(&modelo, false);
    grilla.show();
    EXPECT_EQ(modelo.index(0, 0).data().toString(), "7") << "CHAR sin los blancos del relleno";
    EXPECT_EQ(modelo.largoMaximo(0), 3);
    EXPECT_FALSE(modelo.setData(modelo.index(0, 0), "0034", Qt::EditRole));
    grilla.vista()->edit(grilla.proxy()->index(0, 1));
    auto* editor = grilla.vista()->findChild<QLineEdit*>("editorCelda");
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->maxLength(), 10);

    const int nueva = modelo.agregar();
    grilla.irAFila(nueva);
    EXPECT_EQ(grilla.proxy()->headerData(nueva, Qt::Vertical, Qt::DisplayRole).toString(), QString::fromUtf8("✱"));
    EXPECT_TRUE(modelo.sinTocar(nueva));
    EXPECT_FALSE(modelo.pendiente(nueva)) << "una fila nueva vacía no cuenta como cambio";
    modelo.setData(modelo.index(nueva, 1), "algo", Qt::EditRole);
    EXPECT_TRUE(modelo.pendiente(nueva));
    modelo.revertir(nueva);
    EXPECT_EQ(modelo.rowCount(), 1);
}

}  // namespace
