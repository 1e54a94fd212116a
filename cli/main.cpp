// replicador-cli: the replication agent without a screen, for schedulers and
// servers. Connects as the unattended desktop start does and runs every few
// minutes, or once with --una-vez.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "db/errores.h"
#include "engine/bitacora.h"
#include "engine/corrida.h"
#include "engine/registro.h"
#include "engine/sesion.h"
#include "handlers/catalogo.h"

namespace {

const char* kAyuda =
    "Uso: replicador-cli SERVIDOR USUARIO CLAVE COMPAÑÍA [RECIENTE] [opciones]\n"
    "\n"
    "  SERVIDOR   ubicación del servidor (la carpeta bajo la cual está datos/), p. ej. srv1:/var/lib/erp\n"
    "  USUARIO    usuario de la base general\n"
    "  CLAVE      clave de la base general\n"
    "  COMPAÑÍA   código de la compañía local, p. ej. 001\n"
    "  RECIENTE   cualquier texto: enviar lo más reciente primero\n"
    "\n"
    "  --operaciones N          eventos por cola en cada corrida (100)\n"
    "  --minutos M              minutos entre corridas (1)\n"
    "  --prefijo P              enviar solo documentos con este prefijo (o sin prefijo)\n"
    "  --no-reintentar-errores  no volver a intentar eventos que ya fallaron\n"
    "  --agencia NOMBRE         enviar solo documentos de prefijos de esa agencia (Todas: sin filtro)\n"
    "  --una-vez                una sola corrida; el código de salida dice cómo terminó\n"
    "  --ayuda                  esta ayuda\n"
    "\n"
    "Salida de --una-vez: 0 todo enviado o filtrado, 1 algún evento falló o algún servidor no respondió,\n"
    "2 la corrida no pudo empezar o terminó por un error.\n";

std::atomic<bool> gDetener{false};
void alSenal(int) { gDetener = true; }

// Registry notices go to stderr once: the directory is read for every line.
class NotificadorTerminal : public engine::Notificador {
public:
    void avisar(const std::string& mensaje) override {
        if (vistos_.insert(mensaje).second) std::cerr << mensaje << "\n";
    }

private:
    std::set<std::string> vistos_;
};

class ObservadorTerminal : public engine::ObservadorCorrida {
public:
    explicit ObservadorTerminal(bool terminal) : terminal_(terminal) {}

    void leyenda(const std::string& texto) override {
        terminarBarra();
        std::cout << texto << std::endl;
    }
    void progreso(int maximo, int posicion) override {
        maximo_ = maximo;
        posicion_ = posicion;
        if (terminal_ && maximo > 0) dibujar();
    }
    void lineaEvento(const std::string& texto) override { linea_ = texto; }
    void ultimaReplicacion(const std::string& texto) override { std::cout << "Ultima actualización: " << texto << std::endl; }
    void ultimoError(const std::string& texto) override {
        terminarBarra();
        std::cout << texto << std::endl;
    }
    void cantidadOperaciones(const std::string& texto) override {
        std::cout << "Operaciones a enviar: " << texto << std::endl;
    }
    void mensaje(const std::string& texto) override {
        terminarBarra();
        std::cerr << texto << std::endl;
    }
    void eventoProcesado(const engine::Evento& e, engine::ResultadoEvento r) override {
        if (terminal_) {
            if (r == engine::ResultadoEvento::Fallido) {
                terminarBarra();
                std::cout << "  falló " << linea_ << std::endl;
            }
            dibujar();
            return;
        }
        const char* texto = r == engine::ResultadoEvento::Estampado ? "enviado"
                            : r == engine::ResultadoEvento::Fallido ? "falló"
                                                                    : "omitido";
        std::cout << "  [" << posicion_ << "/" << maximo_ << "] " << linea_ << " " << texto << std::endl;
    }
    void corridaTerminada(const engine::ResumenCorrida& r) override {
        terminarBarra();
        if (!r.iniciada) return;
        std::cout << "Enviados " << r.estampados << ", fallidos " << r.fallidos << ", omitidos " << r.omitidos
                  << ", servidores sin conexión " << r.conexionesFallidas << std::endl;
    }

private:
    void dibujar() {
        const int ancho = 30;
        int lleno = maximo_ > 0 ? posicion_ * ancho / maximo_ : 0;
        std::cout << "\r[" << std::string(lleno, '#') << std::string(ancho - lleno, ' ') << "] " << posicion_ << "/"
                  << maximo_ << " " << linea_.substr(0, 40) << "\033[K" << std::flush;
        barra_ = true;
    }
    void terminarBarra() {
        if (barra_) std::cout << std::endl;
        barra_ = false;
    }

    bool terminal_;
    bool barra_ = false;
    int maximo_ = 0, posicion_ = 0;
    std::string linea_;
};

struct Opciones {
    std::vector<std::string> posicionales;
    engine::AjustesCorrida ajustes;
    bool unaVez = false;
};

bool leerOpciones(int argc, char** argv, Opciones& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto valor = [&](std::string& destino) {
            if (i + 1 >= argc) {
                error = "Falta el valor de " + a;
                return false;
            }
            destino = argv[++i];
            return true;
        };
        if (a == "--operaciones") {
            if (!valor(o.ajustes.operaciones)) return false;
        } else if (a == "--minutos") {
            if (!valor(o.ajustes.minutos)) return false;
        } else if (a == "--prefijo") {
            if (!valor(o.ajustes.prefijo)) return false;
        } else if (a == "--agencia") {
            if (!valor(o.ajustes.agencia)) return false;
        } else if (a == "--no-reintentar-errores") {
            o.ajustes.noReintentarErrores = true;
        } else if (a == "--una-vez") {
            o.unaVez = true;
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            error = "Opción desconocida: " + a;
            return false;
        } else {
            o.posicionales.push_back(a);
        }
    }
    if (o.posicionales.size() < 4 || o.posicionales.size() > 5 || o.posicionales[3].empty()) {
        error = "Faltan argumentos: SERVIDOR USUARIO CLAVE COMPAÑÍA";
        return false;
    }
    o.ajustes.recientePrimero = o.posicionales.size() == 5 && !o.posicionales[4].empty();
    o.ajustes.companiaLocal = o.posicionales[3];
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--ayuda" || std::string(argv[i]) == "-h" || std::string(argv[i]) == "--help") {
            std::cout << kAyuda;
            return 0;
        }
    Opciones o;
    std::string error;
    if (!leerOpciones(argc, argv, o, error)) {
        std::cerr << error << "\n\n" << kAyuda;
        return 2;
    }

    NotificadorTerminal notificador;
    auto directorio = [&notificador] { return engine::diraplicacion(&notificador); };
    engine::Sesion sesion;
    // The one place where an error is shown: stderr and ERRORES.TXT.
    auto informar = [&](const std::string& mensaje) {
        std::cerr << engine::mensajeParaUsuario(mensaje) << "\n";
        try {
            engine::registrarError(directorio(), sesion.ingreso().usuario, mensaje);
        } catch (const std::exception& e) {
            std::cerr << e.what() << "\n";
        }
    };

    const auto& p = o.posicionales;
    try {
        sesion.conectarGeneral(p[0], p[1], p[2]);
        sesion.fijarIngreso(p[0], p[1], p[2]);
        sesion.elegirCompania(p[3]);
    } catch (const db::ErrorBaseDatos& e) {
        informar(e.mensaje());
        return 2;
    }

    std::signal(SIGINT, alSenal);
    std::signal(SIGTERM, alSenal);
    ObservadorTerminal observador(isatty(STDOUT_FILENO));
    engine::Corrida corrida(sesion.DbCia, sesion.DBEnvio, handlers::catalogoCompleto(), observador, directorio);

    for (;;) {
        engine::ResumenCorrida r = corrida.ejecutar(o.ajustes);
        if (r.terminoConError && !r.silencioso) informar(r.error);
        if (o.unaVez) {
            if (!r.iniciada || r.terminoConError) return 2;
            return (r.fallidos > 0 || r.conexionesFallidas > 0) ? 1 : 0;
        }
        auto hasta = std::chrono::steady_clock::now() + std::chrono::milliseconds(r.intervaloMs);
        while (!gDetener && std::chrono::steady_clock::now() < hasta)
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (gDetener) return 0;
    }
}
