#!/bin/sh
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and fuzzes the three readers for SECONDS
# (default 60). Exits non-zero when the fuzzer finds a crash; the input that
# caused it is left in build/fuzz/findings/. To replay one:
#   build/fuzz/fuzz/quorvane_fuzz_readers build/fuzz/findings/crash-...
#
#   fuzz/run.sh [SECONDS] [extra libFuzzer options...]
set -eu

seconds=${1:-60}
[ $# -gt 0 ] && shift
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target quorvane_fuzz_readers quorvane_fuzz_seeds

out=build/fuzz
rm -rf "$out/seeds"
"$out/fuzz/quorvane_fuzz_seeds" "$out/seeds"
mkdir -p "$out/corpus" "$out/findings"

# New inputs go to the first folder, which grows from run to run; the seeds
# are made afresh each time.
exec "$out/fuzz/quorvane_fuzz_readers" \
    -max_total_time="$seconds" \
    -timeout=10 \
    -rss_limit_mb=2048 \
    -print_final_stats=1 \
    -dict=fuzz/midi.dict \
    -artifact_prefix="$out/findings/" \
    "$@" \
    "$out/corpus" "$out/seeds"
