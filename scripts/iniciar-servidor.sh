#!/usr/bin/env bash
# Starts the loopback Firebird server (no systemd needed) and sets the SYSDBA
# password the tests use (ISC_PASSWORD, default masterkey).
set -euo pipefail
clave="${ISC_PASSWORD:-masterkey}"
sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
if ! (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
  # The security database is opened embedded, so the server must be down.
  echo "create or alter user SYSDBA password '$clave';" \
    | $sudo isql-fb -q -user SYSDBA /var/lib/firebird/3.0/system/security3.fdb
  $sudo /etc/init.d/firebird3.0 start >/dev/null
  for _ in $(seq 1 50); do
    (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null && break
    sleep 0.2
  done
fi
(exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null || { echo "El servidor Firebird no responde en 127.0.0.1:3050" >&2; exit 1; }
