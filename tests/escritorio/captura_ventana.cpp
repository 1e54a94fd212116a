// captura-ventana UBICACION SALIDA.png: starts the main window unattended on
// company 001 of UBICACION (SYSDBA / masterkey), lets its first run end and
// saves a picture of the window as the display shows it. Used for the
// README's screenshot, under Xvfb:
//   xvfb-run -s '-screen 0 1024x768x24' build-escritorio/tests/escritorio/captura-ventana ...
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>

#include "app/ventana_principal.h"

int main(int argc, char** argv) {
    QApplication aplicacion(argc, argv);
    QApplication::setApplicationName("Replicador");
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "Uso: captura-ventana UBICACION SALIDA.png\n");
        return 2;
    }
    app::OpcionesVentana opciones;
    opciones.argumentos = {args[1], "SYSDBA", "masterkey", "001"};
    app::VentanaPrincipal ventana(std::move(opciones));
    int codigo = 1;
    QObject::connect(&ventana, &app::VentanaPrincipal::corridaFinalizada, [&] {
        // Let the last reports paint before reading the screen.
        QTimer::singleShot(500, [&] {
            QPixmap foto = ventana.screen()->grabWindow(ventana.winId());
            if (foto.isNull()) foto = ventana.grab();
            codigo = foto.save(args[2], "PNG") ? 0 : 1;
            aplicacion.quit();
        });
    });
    ventana.show();
    aplicacion.exec();
    return codigo;
}
