#!/usr/bin/env bash
# Installs what is missing, builds, creates two embedded demo companies that
# replicate with each other, runs one replication of company 001 and shows
# what happened to every queued event.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/instalar-dependencias.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target replicador-cli crear-bases

demo="${REPLICADOR_DEMO:-/tmp/replicador-demo}"
rm -rf "$demo"
mkdir -p "$demo/agente"
./build/crear-bases --demo "$demo" 2
# The agent's directory, as the registry would give it.
printf '[HKEY_LOCAL_MACHINE\\Software\\TKM\\ValdrexERP2017]\r\nDirectorio=%s\r\n' "$demo/agente" > "$demo/registro.ini"
export REPLICADOR_REGISTRO="$demo/registro.ini"

echo
echo "== replicador-cli $demo SYSDBA masterkey 001 --una-vez"
set +e
./build/replicador-cli "$demo" SYSDBA masterkey 001 --una-vez
codigo=$?
set -e
echo "(código de salida $codigo)"

for cia in 001 002; do
  echo
  echo "== Cola de la compañía $cia"
  isql-fb -q -user SYSDBA "$demo/datos/$cia/valdrex.fdb" <<'SQL'
set list on;
select rpev_id as evento, rpev_compania as destino, rpev_tipo as tipo,
       coalesce(rpev_pref, '') || coalesce(rpev_numero, '') as documento,
       case when rpev_fecrep is null then 'pendiente' else 'enviado ' || rpev_fecrep || ' ' || rpev_horarep end as estado,
       rpev_error as error
  from replica_eventos order by rpev_id;
SQL
done
echo
echo "== Bitácora $demo/agente/ENVIO.TXT"
cat "$demo/agente/ENVIO.TXT"
