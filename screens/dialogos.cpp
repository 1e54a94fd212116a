#include "screens/dialogos.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "screens/exportar.h"

namespace screens {

namespace {

bool confirmarConCaja(QWidget* padre, const QString& pregunta) {
    return QMessageBox::question(padre, QString(), pregunta, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::pair<QString, int> guardarConDialogo(QWidget* padre, const QString& nombre) {
    QStringList filtros;
    for (const std::string& f : filtrosGuardar()) filtros << QString::fromStdString(f);
    QFileDialog dialogo(padre);
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    dialogo.setNameFilters(filtros);
    dialogo.selectFile(nombre);
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return {};
    return {dialogo.selectedFiles().first(), int(filtros.indexOf(dialogo.selectedNameFilter())) + 1};
}

}  // namespace

std::function<bool(QWidget*, const QString&)> Dialogos::confirmar = confirmarConCaja;
std::function<std::pair<QString, int>(QWidget*, const QString&)> Dialogos::guardarComo = guardarConDialogo;

void Dialogos::restablecer() {
    confirmar = confirmarConCaja;
    guardarComo = guardarConDialogo;
}

}  // namespace screens
