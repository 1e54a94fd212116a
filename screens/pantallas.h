// The four modal screens the main window opens over the local company
// database. Each creates its window, shows it modally and returns when it is
// closed; errors inside are reported through ManejoErrores.
#pragma once

#include <QWidget>

#include "db/conexion.h"

namespace screens {

void mostrarMensajesError(QWidget* padre, db::Conexion& local);   // "Mensajes de error o advertencia del envio"
void mostrarCompanias(QWidget* padre, db::Conexion& local);       // "Configuración compañías"
void mostrarPendientes(QWidget* padre, db::Conexion& local);      // "Documentos pendientes por transmitir"
void mostrarConfDocumentos(QWidget* padre, db::Conexion& local);  // "Configuración documentos"

}  // namespace screens
