#!/usr/bin/env bash
# Installs what the build needs and builds. Sourced by run.sh and test.sh.
set -euo pipefail

NIVEX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
NIVEX_BUILD="${NIVEX_BUILD:-$NIVEX_ROOT/build}"
NIVEX_FUZZ_BUILD="${NIVEX_FUZZ_BUILD:-$NIVEX_BUILD/fuzz}"

nivex_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Debian packages: compiler, CMake, Ninja, Qt 6 (Widgets, PrintSupport) with its Spanish
# texts, GoogleTest, the monospace font, cairo for the drawings' files, GDAL, dxflib and
# libxlsxwriter for the exchange formats and Python's virtual environments.
nivex_install_packages() {
    nivex_install_only g++ cmake ninja-build qt6-base-dev qt6-translations-l10n libgl-dev \
        libgtest-dev googletest fonts-dejavu-core libcairo2-dev pkg-config libgdal-dev \
        libdxflib-dev libxlsxwriter-dev python3 python3-venv "$@"
}

# The Debian packages named that are not installed yet.
nivex_install_only() {
    local wanted=("$@")
    local missing=()
    for pkg in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Instalando paquetes: ${missing[*]}"
        nivex_as_root apt-get update -qq
        DEBIAN_FRONTEND=noninteractive nivex_as_root apt-get install -y -qq "${missing[@]}"
    fi
}

# The EPA SWMM 5 engine: the swmm-toolkit package in a virtual environment of the build.
nivex_install_swmm() {
    local venv="$NIVEX_BUILD/venv"
    if ! ls "$venv"/lib/python3*/site-packages/swmm/toolkit/libswmm5.so >/dev/null 2>&1; then
        mkdir -p "$NIVEX_BUILD"
        if [ ! -x "$venv/bin/python" ]; then
            python3 -m venv "$venv" 2>/dev/null || /usr/bin/python3 -m venv "$venv"
        fi
        "$venv/bin/python" -m pip install --quiet --disable-pip-version-check swmm-toolkit
    fi
    # The tests read the exported workbooks back with openpyxl.
    if ! "$venv/bin/python" -c "import openpyxl" >/dev/null 2>&1; then
        "$venv/bin/python" -m pip install --quiet --disable-pip-version-check openpyxl
    fi
}

nivex_build() {
    if [ ! -f "$NIVEX_BUILD/build.ninja" ]; then
        cmake -G Ninja -S "$NIVEX_ROOT" -B "$NIVEX_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    cmake --build "$NIVEX_BUILD" "$@"
}

# The libFuzzer targets of fuzz/: clang with its sanitizer runtimes, in a build folder of
# their own (the logic compiled with ASan and UBSan, no Qt, no tests).
nivex_build_fuzz() {
    nivex_install_only cmake ninja-build clang-14 libclang-rt-14-dev
    if [ ! -f "$NIVEX_FUZZ_BUILD/build.ninja" ]; then
        CC=clang-14 CXX=clang++-14 cmake -G Ninja -S "$NIVEX_ROOT" -B "$NIVEX_FUZZ_BUILD" \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIVEX_FUZZ=ON -DNIVEX_WITH_QT=OFF
    fi
    cmake --build "$NIVEX_FUZZ_BUILD" "$@"
}
