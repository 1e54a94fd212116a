#include "app/dialogo_acceso.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/lista_servidores.h"
#include "engine/registro.h"
#include "screens/manejo_errores.h"

namespace app {

DialogoAcceso::DialogoAcceso(engine::Sesion& sesion, std::function<std::string()> directorio, QWidget* padre)
    : QDialog(padre), sesion_(sesion) {
    setObjectName("faccesoauto");
    setWindowTitle(QString::fromUtf8("Control de acceso"));
    setModal(true);
    screens::ManejoErrores::fijarDirectorio(directorio);

    GroupBox1 = new QGroupBox(QString::fromUtf8("Origen:"), this);
    GroupBox1->setObjectName("GroupBox1");
    Label1 = new QLabel(QString::fromUtf8("Servidor : "), GroupBox1);
    Label1->setObjectName("Label1");
    Servidor = new QComboBox(GroupBox1);
    Servidor->setObjectName("Servidor");
    Servidor->setEditable(true);
    Servidor->setInsertPolicy(QComboBox::NoInsert);
    Servidor->setMinimumContentsLength(28);
    Label3 = new QLabel(QString::fromUtf8("Usuario : "), GroupBox1);
    Label3->setObjectName("Label3");
    Tusua = new QLineEdit(GroupBox1);
    Tusua->setObjectName("Tusua");
    Label4 = new QLabel(QString::fromUtf8("Clave : "), GroupBox1);
    Label4->setObjectName("Label4");
    TClave = new QLineEdit(GroupBox1);
    TClave->setObjectName("TClave");
    TClave->setEchoMode(QLineEdit::Password);
    TClave->setStyleSheet("lineedit-password-character: 42");  // "*"
    Label1->setBuddy(Servidor);
    Label3->setBuddy(Tusua);
    Label4->setBuddy(TClave);

    auto* campos = new QGridLayout(GroupBox1);
    campos->addWidget(Label1, 0, 0);
    campos->addWidget(Servidor, 0, 1);
    campos->addWidget(Label3, 1, 0);
    campos->addWidget(Tusua, 1, 1);
    campos->addWidget(Label4, 2, 0);
    campos->addWidget(TClave, 2, 1);
    campos->setColumnStretch(1, 1);

    // Keys do the work (F2, Esc); the buttons never take the focus, so Enter
    // cycles through the three fields only.
    SpeedButton1 = new QPushButton(QString::fromUtf8("F2: &Entrar"), this);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton2 = new QPushButton(QString::fromUtf8("ESC: &Salir"), this);
    SpeedButton2->setObjectName("SpeedButton2");
    for (QPushButton* b : {SpeedButton1, SpeedButton2}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(SpeedButton1, &QPushButton::clicked, this, &DialogoAcceso::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &DialogoAcceso::SpeedButton2Click);

    Panel2 = new QLabel(QString::fromUtf8("Conectando con el servidor"), this);
    Panel2->setObjectName("Panel2");
    Panel2->setAlignment(Qt::AlignCenter);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setMinimumHeight(Panel2->sizeHint().height() + 8);
    Panel2->hide();
    QSizePolicy conEspacio = Panel2->sizePolicy();
    conEspacio.setRetainSizeWhenHidden(true);  // the dialog does not jump when it shows
    Panel2->setSizePolicy(conEspacio);

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(SpeedButton1);
    botones->addWidget(SpeedButton2);
    auto* todo = new QVBoxLayout(this);
    todo->addWidget(GroupBox1);
    todo->addWidget(Panel2);
    todo->addLayout(botones);

    setTabOrder(Servidor, Tusua);
    setTabOrder(Tusua, TClave);

    for (QObject* o : std::initializer_list<QObject*>{this, Servidor, Servidor->lineEdit(), Tusua, TClave, SpeedButton1,
                                                      SpeedButton2})
        o->installEventFilter(this);

    for (const std::string& linea :
         leerListaServidores(engine::rutaEnDirectorio(directorio ? directorio() : std::string(), kArchivoServidores)))
        Servidor->addItem(QString::fromStdString(linea));
    if (Servidor->count() > 0) Servidor->setCurrentIndex(0);
}

void DialogoAcceso::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    if (QScreen* pantalla = screen()) move(pantalla->availableGeometry().center() - rect().center());
    Tusua->setFocus(Qt::OtherFocusReason);
}

void DialogoAcceso::SpeedButton1Click() {
    Panel2->setText(QString::fromUtf8("Conectando con el servidor origen"));
    Panel2->show();
    Panel2->repaint();
    // On failure the notice stays up and the fields keep what was typed, so
    // the operator can correct them and try again.
    screens::protegido(this, [this] {
        const std::string servidor = Servidor->currentText().toStdString();
        const std::string usuario = Tusua->text().toStdString();
        const std::string clave = TClave->text().toStdString();
        sesion_.conectarGeneral(servidor, usuario, clave);
        sesion_.fijarIngreso(servidor, usuario, clave);
        TClave->clear();
        Panel2->hide();
        accept();
    });
}

void DialogoAcceso::SpeedButton2Click() { reject(); }

bool DialogoAcceso::FormKeyDown(QKeyEvent* tecla) {
    if (tecla->key() != Qt::Key_F2 && tecla->key() != Qt::Key_Escape) return false;
    const Qt::KeyboardModifiers sostenidas =
        tecla->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (sostenidas == Qt::NoModifier) {
        if (tecla->key() == Qt::Key_F2)
            SpeedButton1Click();
        else
            SpeedButton2Click();
    }
    return true;  // with Shift, Ctrl or Alt held the key does nothing
}

void DialogoAcceso::EnteraTab() { focusNextChild(); }
void DialogoAcceso::TusuaKeyPress() { focusNextChild(); }
void DialogoAcceso::TClaveKeyPress() { focusNextChild(); }

bool DialogoAcceso::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() != QEvent::KeyPress) return QDialog::eventFilter(objeto, evento);
    auto* tecla = static_cast<QKeyEvent*>(evento);
    if (FormKeyDown(tecla)) return true;
    if (tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter) {
        if (objeto == Servidor || objeto == Servidor->lineEdit()) {
            EnteraTab();
            return true;
        }
        if (objeto == Tusua) {
            TusuaKeyPress();
            return true;
        }
        if (objeto == TClave) {
            TClaveKeyPress();
            return true;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}

}  // namespace app
