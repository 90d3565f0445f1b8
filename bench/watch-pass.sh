#!/usr/bin/env bash
# The CPU one pass over many stocks costs: `quotrix-cli watch --once` on a stock file of COUNT
# stocks (default 1000) against the quote server on 127.0.0.1, serving today's pages at the
# recorded page's size (or the classic site with --classic). Prints user, system and total CPU
# seconds of the quotrix-cli process, the page faults, and the peak resident set; then what libcurl
# alone spends on the same pages (bench/libcurl_floor).
#
#   bench/watch-pass.sh [--classic] [COUNT] [BUILD_DIR]      (default build/linux)
#
# Settings go to a folder of its own (HOME is pointed there), so the user's are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
site=current
if [ "${1:-}" = "--classic" ]; then
    site=classic
    shift
fi
count=${1:-1000}
# The pass and its floor run on as many threads.
threads=10
build=${2:-build/linux}
cli=$build/tools/quotrix-cli/quotrix-cli
server=$build/tools/quote-server/quote-server
for program in "$cli" "$server"; do
    [ -x "$program" ] || { echo "watch-pass: $program is missing (build quotrix-cli and quote-server)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'tools/quote-server/ctl.sh stop "$work/server"; rm -rf "$work"' EXIT
address=$(tools/quote-server/ctl.sh start "$server" "$work/server" --site "$site" --quiet)
export HOME=$work XDG_CONFIG_HOME=$work/.config
"$cli" settings set Setting QuoteAddressForm "$([ "$site" = current ] && echo 1 || echo 0)" >/dev/null
# Every host the program may ask, so that no request leaves the machine.
for key in HostDetail HostQuote HostTimeSeries HostNews HostBoard HostProfile HostPremiumQuote HostPremiumNews HostCurrent; do "$cli" settings set-text Setting "$key" "http://$address" >/dev/null; done
"$cli" settings set Setting MaxThreads "$threads" >/dev/null
# shellcheck disable=SC2046
"$cli" new "$work/stocks.qtx" $(seq 1301 $((1300 + count))) >/dev/null

/usr/bin/time -f '%U %S %R %M' -o "$work/time" "$cli" watch "$work/stocks.qtx" --once --ignore-hours >"$work/table"
read -r user sys faults rss <"$work/time"
failed=$(grep -c -a 'ERROR\|失敗' "$work/table" || true)
awk -v n="$count" -v site="$site" -v u="$user" -v s="$sys" -v f="$faults" -v m="$rss" 'BEGIN {
    printf "watch --once, %d stocks, %s site: user %.2f s, system %.2f s, CPU %.2f s; %d page faults; peak %d KB\n",
           n, site, u, s, u + s, f, m }'

# The same requests as the pass makes with the default checks (each stock's quote page, then its
# news page) by libcurl alone on as many threads: the least the transfers cost, first back to back,
# then spaced as the pass spaces them (30 ms and up to 63 more before each request).
floor=$build/bench/libcurl_floor
if [ -x "$floor" ]; then
    kind=$([ "$site" = classic ] && echo classic || echo current)
    for pause in 0 30; do
        /usr/bin/time -f '%U %S' -o "$work/floor-time" "$floor" "$address" 1301 "$count" "$threads" "$kind" "$pause" >/dev/null
        read -r floor_user floor_sys <"$work/floor-time"
        awk -v n="$count" -v t="$threads" -v u="$user" -v s="$sys" -v cu="$floor_user" -v cs="$floor_sys" -v p="$pause" 'BEGIN {
            floor = cu + cs
            printf "libcurl alone, the same %d pages on %d threads, %s: user %.2f s, system %.2f s, CPU %.2f s; watch/libcurl %.2f\n",
                   2 * n, t, (p > 0 ? "spaced as the pass" : "back to back"), cu, cs, floor, (floor > 0 ? (u + s) / floor : 0) }'
    done
else
    echo "watch-pass: $floor is missing, no floor line" >&2
fi
[ "$failed" = 0 ] || echo "watch-pass: $failed rows of the table show a failure" >&2
