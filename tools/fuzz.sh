#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each one.
#
#   tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#
# Corpora grow under build/fuzz/corpus/<target>; findings are written to build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DQUOTRIX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j"$(nproc)" >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
mkdir -p build/fuzz/findings
status=0
for t in "${targets[@]}"; do
    corpus=build/fuzz/corpus/$t
    mkdir -p "$corpus"
    [ -d "fuzz/seeds/$t" ] && cp -n fuzz/seeds/"$t"/* "$corpus"/ 2>/dev/null || true
    echo "fuzz: $t for ${seconds}s"
    if ! build/fuzz/fuzz/"$t" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=build/fuzz/findings/"$t"- \
        "$corpus" 2>build/fuzz/"$t".log; then
        status=1
        echo "fuzz: $t found a problem, see build/fuzz/$t.log" >&2
    fi
    grep -E 'stat::number_of_executed_units' build/fuzz/"$t".log || true
done
exit $status
