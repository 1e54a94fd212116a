// replicador: the desktop agent. Arguments (all optional, positional):
// server location, user, password, company code, newest first. With a
// company code it starts unattended and runs at once; otherwise it asks for
// a login.
#include <QApplication>

#include "app/senales.h"
#include "app/ventana_principal.h"

int main(int argc, char** argv) {
    app::bloquearSenalesDeCierre();
    QApplication aplicacion(argc, argv);
    QApplication::setApplicationName("Replicador");

    app::OpcionesVentana opciones;
    opciones.argumentos = QApplication::arguments().mid(1, 5);
    app::VentanaPrincipal ventana(std::move(opciones));
    QObject::connect(&ventana, &app::VentanaPrincipal::programaTerminado, &aplicacion, &QApplication::quit,
                     Qt::QueuedConnection);
    app::cerrarConSenales(&ventana);
    ventana.show();
    return aplicacion.exec();
}
