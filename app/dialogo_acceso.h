// "Control de acceso": the login of an interactive start. The operator picks
// or types the server location, enters a user of the general database and
// its password; F2 logs in, Esc leaves. The dialog opens the general
// database with the values as typed and sets the session's login values
// (user in upper case, password enciphered). It ends with OK only after a
// successful login; a failed one is reported through ManejoErrores and the
// dialog stays open for another try.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "engine/sesion.h"

class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace app {

class DialogoAcceso : public QDialog {
    Q_OBJECT
public:
    // `directorio` answers the agent's directory, where SERVIDORES.cfg lies.
    DialogoAcceso(engine::Sesion& sesion, std::function<std::string()> directorio, QWidget* padre = nullptr);

public slots:
    void SpeedButton1Click();  // "F2: &Entrar"
    void SpeedButton2Click();  // "ESC: &Salir": the dialog ends without OK

protected:
    // The dialog sees the keys of its controls first.
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

private:
    bool FormKeyDown(QKeyEvent* tecla);
    void EnteraTab();
    void TusuaKeyPress();
    void TClaveKeyPress();

    engine::Sesion& sesion_;
    QGroupBox* GroupBox1;
    QLabel *Label1, *Label3, *Label4;
    QComboBox* Servidor;
    QLineEdit *Tusua, *TClave;
    QPushButton *SpeedButton1, *SpeedButton2;
    QLabel* Panel2;
};

}  // namespace app
