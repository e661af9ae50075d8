#!/usr/bin/env bash
# Instala lo que falte, compila y arranca NIVEX.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"

extra=()
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    extra=(xvfb xauth)  # no screen: the program runs in a virtual one
fi
nivex_install_packages "${extra[@]}"
nivex_install_swmm
nivex_build --target nivex nivex-batch

if [ ${#extra[@]} -gt 0 ]; then
    echo "Sin pantalla: NIVEX arranca en una pantalla virtual (Xvfb)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$NIVEX_BUILD/bin/nivex" "$@"
fi
exec "$NIVEX_BUILD/bin/nivex" "$@"
