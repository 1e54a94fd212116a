#include "screens/manejo_errores.h"

#include <QApplication>
#include <QMessageBox>

#include "db/errores.h"
#include "engine/bitacora.h"

namespace screens {

namespace {

std::string gUsuario;
std::function<std::string()> gDirectorio;
std::function<void(QWidget*, const QString&)> gPresentador;

}  // namespace

void ManejoErrores::fijarUsuario(const std::string& usuario) { gUsuario = usuario; }
void ManejoErrores::fijarDirectorio(std::function<std::string()> directorio) { gDirectorio = std::move(directorio); }
void ManejoErrores::fijarPresentador(std::function<void(QWidget*, const QString&)> p) { gPresentador = std::move(p); }

void ManejoErrores::informar(QWidget* padre, const std::string& mensajeError) {
    QString texto = QString::fromStdString(engine::mensajeParaUsuario(mensajeError));
    try {
        engine::registrarError(gDirectorio ? gDirectorio() : std::string(), gUsuario, mensajeError);
    } catch (const std::exception& e) {
        // The log itself failed: say so in the same box rather than lose both.
        texto += "\n\n" + QString::fromStdString(e.what());
    }
    QApplication::beep();
    if (gPresentador)
        gPresentador(padre, texto);
    else
        QMessageBox::critical(padre, QApplication::applicationDisplayName(), texto, QMessageBox::Ok);
}

void ManejoErrores::informar(QWidget* padre, std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const db::AbortoSilencioso&) {
    } catch (const db::ErrorBaseDatos& e) {
        informar(padre, e.mensaje());
    } catch (const std::exception& e) {
        informar(padre, std::string(e.what()));
    } catch (...) {
        informar(padre, std::string("Error desconocido"));
    }
}

bool protegido(QWidget* padre, const std::function<void()>& accion) {
    try {
        accion();
        return true;
    } catch (...) {
        ManejoErrores::informar(padre, std::current_exception());
        return false;
    }
}

}  // namespace screens
