#include "app/senales.h"

#include <pthread.h>

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <csignal>
#include <thread>

namespace app {

namespace {

sigset_t senalesDeCierre() {
    sigset_t s;
    sigemptyset(&s);
    sigaddset(&s, SIGINT);
    sigaddset(&s, SIGTERM);
    return s;
}

}  // namespace

void bloquearSenalesDeCierre() {
    const sigset_t s = senalesDeCierre();
    pthread_sigmask(SIG_BLOCK, &s, nullptr);
}

void cerrarConSenales(QWidget* ventana) {
    QPointer<QWidget> destino = ventana;
    std::thread([destino] {
        const sigset_t s = senalesDeCierre();
        for (;;) {
            int senal = 0;
            if (sigwait(&s, &senal) != 0) continue;
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [destino] {
                    if (destino) destino->close();
                },
                Qt::QueuedConnection);
        }
    }).detach();
}

}  // namespace app
