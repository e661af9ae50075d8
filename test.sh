#!/usr/bin/env bash
# Instala lo que falte, compila y pasa todas las pruebas (sin pantalla).
#   ./test.sh [--largo] [opciones de ctest]
# --largo (o NIVEX_LONG=1) corre además cada fuzzer cinco minutos y miles de redes de prueba
# del diseño.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"

long="${NIVEX_LONG:-0}"
if [ "${1:-}" = "--largo" ]; then
    long=1
    shift
fi

nivex_install_packages
nivex_install_swmm
nivex_build
export QT_QPA_PLATFORM=offscreen
# En el modo largo las pruebas de propiedades del diseño corren miles de redes nuevas.
export NIVEX_LONG="$long"
(cd "$NIVEX_BUILD" && ctest --output-on-failure -j "$(nproc)" "$@")
if [ "$long" = "1" ]; then
    "$NIVEX_ROOT/scripts/fuzz.sh" 300
fi
