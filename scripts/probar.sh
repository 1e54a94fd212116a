#!/usr/bin/env bash
# Installs what is missing, starts the loopback Firebird server, builds
# everything and runs every test, embedded and through the server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/instalar-dependencias.sh
bash scripts/iniciar-servidor.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure
