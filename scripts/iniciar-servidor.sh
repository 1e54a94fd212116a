#!/usr/bin/env bash
# Starts the loopback Firebird server (no systemd needed) with the SYSDBA
# password the tests use (ISC_PASSWORD, default masterkey). The package's
# install may already have started it with a random password, so the server
# is always stopped, the password set through the embedded engine on the
# security database (which needs the server down), and started again.
set -euo pipefail
clave="${ISC_PASSWORD:-masterkey}"
sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
responde() { (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; }

$sudo /etc/init.d/firebird3.0 stop >/dev/null 2>&1 || true
for _ in $(seq 1 50); do responde || break; sleep 0.2; done
echo "create or alter user SYSDBA password '$clave';" \
  | $sudo isql-fb -q -user SYSDBA /var/lib/firebird/3.0/system/security3.fdb
$sudo /etc/init.d/firebird3.0 start >/dev/null
for _ in $(seq 1 50); do responde && break; sleep 0.2; done
responde || { echo "El servidor Firebird no responde en 127.0.0.1:3050" >&2; exit 1; }
