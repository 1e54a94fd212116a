// Phase B of N inventory receipts with 5 lines each, uploaded by the agent
// to a peer through the loopback server, against a floor measured in the
// same run: the same header and line inserts sent by a minimal loop of
// prepared statements, one transaction per document, into a fresh peer.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "db/conjunto_filas.h"
#include "db/errores.h"
#include "engine/ajustes.h"
#include "engine/corrida.h"
#include "handlers/catalogo.h"
#include "schema/demo.h"
#include "schema/esquema.h"

namespace {

using db::Valor;
using Reloj = std::chrono::steady_clock;

const int kLineas = 5;

double segundos(Reloj::time_point desde) { return std::chrono::duration<double>(Reloj::now() - desde).count(); }

std::unique_ptr<db::Conexion> crearCompania(const std::string& ubicacion, const std::string& carpeta,
                                            const std::string& cod, int k) {
    std::filesystem::create_directories(carpeta + "/datos/" + cod);
    chmod((carpeta + "/datos").c_str(), 0777);
    chmod((carpeta + "/datos/" + cod).c_str(), 0777);
    auto c = std::make_unique<db::Conexion>();
    c->fijarBase(engine::nombreBaseCompania(ubicacion, cod));
    c->fijarUsuario("SYSDBA");
    c->fijarClave(std::getenv("ISC_PASSWORD") ? std::getenv("ISC_PASSWORD") : "masterkey");
    esquema::crearBaseCompania(*c, int64_t(k) * 100000);
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    const int documentos = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::string host = std::getenv("REPLICADOR_BENCH_SERVIDOR") ? std::getenv("REPLICADOR_BENCH_SERVIDOR") : "localhost";
    char plantilla[] = "/tmp/replicador-bench-XXXXXX";
    const std::string carpeta = mkdtemp(plantilla);
    chmod(carpeta.c_str(), 0777);
    const std::string ubicacion = host + ":" + carpeta;

    try {
        auto local = crearCompania(ubicacion, carpeta, "001", 1);
        auto par = crearCompania(ubicacion, carpeta, "002", 2);
        auto piso = crearCompania(ubicacion, carpeta, "003", 3);
        esquema::configurarCompania(*local, ubicacion, {"002"}, local->usuario(), local->clave());

        // The source documents and their events, loaded in one transaction.
        {
            db::AmbitoTransaccion carga(*local);
            for (int d = 1; d <= documentos; ++d) {
                char numero[16];
                std::snprintf(numero, sizeof numero, "%06d", d);
                std::vector<esquema::LineaDemo> lineas;
                for (int l = 1; l <= kLineas; ++l) lineas.push_back({"ART-" + std::to_string(l), std::to_string(l) + ".25"});
                int64_t id = esquema::crearDocumentoInventario(*local, 11, "EN", numero, lineas);
                esquema::encolarEvento(*local, {"002", 11, Valor::entero(id), "EN", numero, "", "C", "", d});
            }
            carga.confirmar();
        }

        // The agent: one run of phase B with every event selected.
        struct Silencio : engine::ObservadorCorrida {} silencio;
        db::Conexion dbCia, dbEnvio;
        dbCia.fijarBase(local->base());
        dbCia.fijarUsuario(local->usuario());
        dbCia.fijarClave(local->clave());
        local->cerrar();
        const std::string agente = carpeta + "/agente";
        std::filesystem::create_directories(agente);
        engine::Corrida corrida(dbCia, dbEnvio, handlers::catalogoCompleto(), silencio, [&] { return agente; });
        engine::AjustesCorrida a;
        a.companiaLocal = "001";
        a.operaciones = std::to_string(documentos);
        auto inicio = Reloj::now();
        engine::ResumenCorrida r = corrida.ejecutar(a);
        double tAgente = segundos(inicio);
        if (r.terminoConError || r.estampados != documentos) {
            std::fprintf(stderr, "la corrida no envió todo: %d enviados, %d fallidos, %s\n", r.estampados, r.fallidos,
                         r.detalle.c_str());
            return 1;
        }

        // The floor: the same inserts, prepared once, one transaction per document.
        const std::string encabezado =
            "INSERT INTO ENTRADAS (ENTR_ID, TIDO_COD, PREF_PRE, BODE_COD, ENTR_NUMERO, ENTR_FECHA, ENTR_CONC, "
            "ENTR_ANULADO, ENTR_OBS, NUMOK, ENTR_TOTAL, ENTR_USUARIO) VALUES (?, 11, 'EN', '01', ?, CURRENT_DATE, ?, "
            "'N', ?, 'N', ?, 'DEMO')";
        const std::string linea =
            "INSERT INTO ENTRADAS_DETALLE (ENTR_ID, ENDE_ITEM, ARTI_COD, BODE_COD, ENDE_CANT, ENDE_COSTO, ENDE_DESC) "
            "VALUES (?, ?, ?, '01', ?, 1234.5678, ?)";
        inicio = Reloj::now();
        for (int d = 1; d <= documentos; ++d) {
            db::AmbitoTransaccion t(*piso);
            char numero[16];
            std::snprintf(numero, sizeof numero, "%06d", d);
            piso->ejecutar(encabezado, {Valor::entero(d), Valor::texto(numero), Valor::texto("Documento EN"),
                                        Valor::blobTexto("Observación"), Valor::decimal(112750, 2)});
            for (int l = 1; l <= kLineas; ++l)
                piso->ejecutar(linea, {Valor::entero(d), Valor::entero(l), Valor::texto("ART-" + std::to_string(l)),
                                       Valor::decimal(l * 10000 + 2500, 4), Valor::texto("Artículo")});
            t.confirmar();
        }
        double tPiso = segundos(inicio);

        std::printf("Fase B, %d recibos de %d líneas por el servidor %s\n", documentos, kLineas, host.c_str());
        std::printf("  agente:        %8.3f s  %8.1f eventos/s\n", tAgente, documentos / tAgente);
        std::printf("  piso (inserts):%8.3f s  %8.1f documentos/s\n", tPiso, documentos / tPiso);
        std::printf("  razón agente/piso: %.2f veces el tiempo del piso\n", tAgente / tPiso);
        dbCia.cerrar();
        dbEnvio.cerrar();
        local.reset();
        par.reset();
        piso.reset();
        std::filesystem::remove_all(carpeta);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
