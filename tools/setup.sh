#!/usr/bin/env bash
# Installs the Debian packages the two builds and their tests need, and the
# ja_JP.UTF-8 and C.UTF-8 locales Wine runs the programs in. Does nothing when all is there.
# --bench also installs what bench/pages-vs-python.py needs (python3-lxml); no build or test does.
set -euo pipefail

# fonts-ipafont-gothic: Wine draws Japanese text (menus, dialogs, tips) only with a Japanese font.
packages=(cmake g++ make pkg-config python3 fonts-ipafont-gothic clang libclang-rt-dev libgtest-dev libbenchmark-dev
          libcurl4-openssl-dev libcpp-httplib-dev nlohmann-json3-dev
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xauth locales clang-format)
[ "${1:-}" = "--bench" ] && packages+=(python3-lxml)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine runs the programs as on a Japanese Windows (ja_JP.UTF-8, code page 932) and, for the UI
# font's tests, as on a Western one (C.UTF-8, code page 1252).
for wanted in ja_JP C; do
    if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8$"; then
        echo "setup: generating the $wanted.UTF-8 locale"
        $SUDO sed -i "s/^# *\($wanted.UTF-8 UTF-8\)/\1/" /etc/locale.gen
        grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
        $SUDO locale-gen >/dev/null
    fi
done
