#!/usr/bin/env bash
# Runs a Windows program under Wine and returns its exit status.
#
#   tools/wine-run.sh [--x] PROGRAM.exe [ARGS...]
#
# The Wine prefix lives in the build folder ($QUOTRIX_BUILD/wineprefix, else beside the program's
# build folder), is created on first use and reused after. LANG=ja_JP.UTF-8 makes Wine's ANSI code
# page 932. QUOTRIX_WINE_LANG chooses another locale (C.UTF-8: code page 1252, a Western Windows);
# each other locale has a prefix of its own (wineprefix-C.UTF-8), since a prefix keeps the fonts
# and settings of the locale it was made in. QUOTRIX_WINE_LANE (1, 2, ...) lets tests run side by
# side: each lane past the first has prefixes of its own (wineprefix-lane2) and its own range of
# Xvfb display numbers. --x gives the program a display: the user's, or a private Xvfb when there
# is none.
set -euo pipefail

need_x=0
if [ "${1:-}" = "--x" ]; then
    need_x=1
    shift
fi
program=$1
shift

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine || true)
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || echo wineserver)
if [ -z "$wine" ]; then
    echo "wine-run: wine64 is not installed (run tools/setup.sh)" >&2
    exit 127
fi

build=${QUOTRIX_BUILD:-$(cd "$(dirname "$program")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)}
wine_lang=${QUOTRIX_WINE_LANG:-ja_JP.UTF-8}
lane=${QUOTRIX_WINE_LANE:-1}
case "$lane" in
'' | *[!0-9]*)
    echo "wine-run: QUOTRIX_WINE_LANE must be a number, not '$lane'" >&2
    exit 2
    ;;
esac
lane_suffix=
[ "$lane" = 1 ] || lane_suffix=-lane$lane
if [ "$wine_lang" = ja_JP.UTF-8 ]; then
    export WINEPREFIX=${WINEPREFIX:-$build/wineprefix$lane_suffix}
else
    export WINEPREFIX=${WINEPREFIX:-$build/wineprefix-$wine_lang$lane_suffix}
fi
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs when the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export LANG=$wine_lang LC_ALL=$wine_lang

# locale -a spells UTF-8 as utf8.
wanted=$(echo "$wine_lang" | sed 's/\.[Uu][Tt][Ff]-\?8$/.utf8/')
if ! locale -a 2>/dev/null | grep -qix "$wanted"; then
    echo "wine-run: the $wine_lang locale is missing, Wine would fall back to another code page (run tools/setup.sh)" >&2
    exit 127
fi

# Tests may run in parallel: one of them makes the prefix, the others wait for it.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/.quotrix-ready" ]; then
        echo "wine-run: creating the Wine prefix $WINEPREFIX" >&2
        "$wine" wineboot --init >/dev/null 2>&1 || true
        "$wineserver" -w 2>/dev/null || true
        touch "$WINEPREFIX/.quotrix-ready"
    fi
) 9>"$WINEPREFIX.lock"

if [ "$need_x" = 1 ] && [ -z "${DISPLAY:-}" ]; then
    # xvfb-run -a takes the first free number from -n on; lanes start 100 apart so that two
    # starting at once do not pick the same one.
    exec xvfb-run -a -n $((lane * 100 - 1)) -s "-screen 0 1280x800x24" "$0" --x "$program" "$@"
fi

# Wine's desktop process belongs to the first program of a session and keeps that program's
# display, so every run ends its session: the next run starts clean on its own display.
# ctest runs the Wine tests of a lane one at a time (RESOURCE_LOCK wine1, wine2, ...).
set +e
"$wine" "$program" "$@"
rc=$?
"$wineserver" -k 2>/dev/null
"$wineserver" -w 2>/dev/null
exit $rc
