#!/usr/bin/env bash
# Instala lo que falte, compila y pasa todas las pruebas (sin pantalla).
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"

nivex_install_packages
nivex_install_swmm
nivex_build
export QT_QPA_PLATFORM=offscreen
cd "$NIVEX_BUILD"
ctest --output-on-failure -j "$(nproc)" "$@"
