#!/usr/bin/env bash
# Creates the general database and N company databases under LOCATION:
#   LOCATION/datos/general.fdb, LOCATION/datos/001/valdrex.fdb ... 00N.
#
#   crear_bases.sh [--demo] [--inicio-generadores] LOCATION N
#
# LOCATION is a folder (/var/tmp/erp: embedded access) or a server location
# (localhost:/var/tmp/erp: through the Firebird server on this machine, as
# SYSDBA with the password in ISC_PASSWORD, default masterkey). Existing
# databases are replaced. The generators of company k start at k*100000,
# so the same document gets different ids in different companies
# (--inicio-generadores names that default explicitly).
# --demo adds the replication settings, two agencies, the document types and
# a REPLICA_COMPANIA row for every other company, active, on LOCATION.
set -euo pipefail

readonly ESQUEMA="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
readonly SALTO_GENERADORES=100000

uso() {
    echo "uso: $0 [--demo] [--inicio-generadores] LOCATION N" >&2
    exit 2
}

demo=0
while [[ $# -gt 0 && $1 == --* ]]; do
    case $1 in
        --demo) demo=1 ;;
        --inicio-generadores) ;;
        *) uso ;;
    esac
    shift
done
[[ $# -eq 2 ]] || uso
ubicacion=$1
companias=$2
[[ $companias =~ ^[0-9]+$ ]] && ((10#$companias >= 1 && 10#$companias <= 999)) || {
    echo "$0: N debe estar entre 1 y 999: $companias" >&2
    exit 2
}
companias=$((10#$companias))

# host:/path goes through the server; anything else is a local folder.
if [[ $ubicacion =~ ^([^/:][^:]*):(/.*)$ ]]; then
    carpeta=${BASH_REMATCH[2]}
    servidor=1
    credenciales=(-user SYSDBA -password "${ISC_PASSWORD:-masterkey}")
else
    [[ $ubicacion == /* ]] || ubicacion="$PWD/$ubicacion"
    carpeta=$ubicacion
    servidor=0
    credenciales=(-user SYSDBA)
fi
carpeta=${carpeta%/}
ubicacion=${ubicacion%/}

if ((demo)) && ((${#ubicacion} > 60)); then
    echo "$0: LOCATION no cabe en RPCO_SERVIDOR (60 caracteres): $ubicacion" >&2
    exit 2
fi

# Runs isql on one database (or none, for CREATE DATABASE) with the SQL from
# stdin. isql exits 0 after a failed statement unless -bail is given, and
# some failures only show in its output, so both are checked.
sql() {
    local salida estado=0
    salida=$(isql-fb -q -bail "${credenciales[@]}" "$@" 2>&1) || estado=$?
    if ((estado != 0)) || [[ $salida =~ (Statement failed|SQLSTATE|Use CONNECT or CREATE DATABASE) ]]; then
        echo "$0: error de SQL en ${*: -1}:" >&2
        echo "$salida" >&2
        exit 1
    fi
}

literal() {
    printf "'%s'" "${1//\'/\'\'}"
}

crear_base() {
    local archivo=$1 nombre
    rm -f "$archivo"
    if ((servidor)); then
        nombre="${ubicacion%%:*}:$archivo"
        sql <<<"CREATE DATABASE $(literal "$nombre") USER 'SYSDBA' PASSWORD $(literal "${ISC_PASSWORD:-masterkey}") PAGE_SIZE 8192;"
    else
        nombre=$archivo
        sql <<<"CREATE DATABASE $(literal "$nombre") USER 'SYSDBA' PAGE_SIZE 8192;"
    fi
    echo "$nombre"
}

preparar_carpeta() {
    mkdir -p "$1"
    # the server runs as user firebird
    if ((servidor)); then chmod 777 "$1"; fi
}

codigo() {
    printf '%03d' "$1"
}

preparar_carpeta "$carpeta/datos"

general=$(crear_base "$carpeta/datos/general.fdb")
sql -i "$ESQUEMA/general.sql" "$general"
{
    for ((k = 1; k <= companias; k++)); do
        echo "INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE) VALUES ('$(codigo $k)', 'Compañía $(codigo $k)');"
    done
    echo "COMMIT;"
} | sql "$general"
chmod 666 "$carpeta/datos/general.fdb"

for ((k = 1; k <= companias; k++)); do
    cod=$(codigo $k)
    preparar_carpeta "$carpeta/datos/$cod"
    base=$(crear_base "$carpeta/datos/$cod/valdrex.fdb")
    sql -i "$ESQUEMA/compania.sql" "$base"

    sql "$base" <<EOF
SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE nombre VARCHAR(63);
BEGIN
  FOR SELECT TRIM(RDB\$GENERATOR_NAME) FROM RDB\$GENERATORS
      WHERE COALESCE(RDB\$SYSTEM_FLAG, 0) = 0 INTO :nombre DO
    EXECUTE STATEMENT 'SET GENERATOR ' || nombre || ' TO $((k * SALTO_GENERADORES))';
END^
SET TERM ; ^
COMMIT;
EOF

    if ((demo)); then
        sql -i "$ESQUEMA/demo_compania.sql" "$base"
        {
            for ((j = 1; j <= companias; j++)); do
                ((j == k)) && continue
                echo "INSERT INTO REPLICA_COMPANIA (RPCO_COD, RPCP_NOMBRE, RPCO_SERVIDOR, RPCO_ACTIVA)" \
                     "VALUES ('$(codigo $j)', 'Compañía $(codigo $j)', $(literal "$ubicacion"), 'S');"
            done
            echo "COMMIT;"
        } | sql "$base"
    fi
    chmod 666 "$carpeta/datos/$cod/valdrex.fdb"
done

echo "crear_bases: general.fdb y $companias compañías en $ubicacion/datos$( ((demo)) && echo ' (demo)')"
