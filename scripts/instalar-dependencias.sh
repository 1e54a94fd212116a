#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
set -euo pipefail
paquetes=(build-essential cmake pkg-config libgtest-dev libgmock-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils firebird3.0-server
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev xvfb xauth)
faltan=()
for p in "${paquetes[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltan+=("$p")
done
if [ ${#faltan[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  # The server package asks nothing when told so; it picks a random SYSDBA password.
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${faltan[@]}" >/dev/null
fi
