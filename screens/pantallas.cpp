#include "screens/pantallas.h"

#include <QMessageBox>

// Placeholders until the screens exist: the main window can already call them.
namespace screens {

namespace {
void pendiente(QWidget* padre, const char* titulo) {
    QMessageBox::information(padre, QString::fromUtf8(titulo), QString::fromUtf8(titulo));
}
}  // namespace

void mostrarMensajesError(QWidget* padre, db::Conexion&) { pendiente(padre, "Mensajes de error o advertencia del envio"); }
void mostrarCompanias(QWidget* padre, db::Conexion&) { pendiente(padre, "Configuración compañías"); }
void mostrarPendientes(QWidget* padre, db::Conexion&) { pendiente(padre, "Documentos pendientes por transmitir"); }
void mostrarConfDocumentos(QWidget* padre, db::Conexion&) { pendiente(padre, "Configuración documentos"); }

}  // namespace screens
