#!/usr/bin/env bash
# Installs libquorvane from a built release folder into a scratch prefix,
# builds the example against it (find_package) and a program through
# pkg-config, then checks that the example cuts a folder to the same files
# and the same log as `quorvane cut-all`.
#
#   tests/package/check_library.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build/release}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$work/prefix" --component dev >/dev/null
cmake -S examples -B "$work/example" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/example" >/dev/null
echo '#include <quorvane/core/cut_service.hpp>
int main() { return quorvane::coreCount() > 0 ? 0 : 1; }' >"$work/cores.cpp"
# shellcheck disable=SC2046  # the flags are words
g++ -std=c++20 "$work/cores.cpp" -o "$work/cores" $(PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" pkg-config --cflags --libs quorvane)
"$work/cores" || fail "a program linked through pkg-config"

# The samples, a generated batch, a broken song and a name twice over.
mkdir "$work/songs" "$work/by-cli" "$work/by-example"
cp samples/*.mid "$work/songs/"
"$build/tools/quorvane-make-samples" "$work/songs" --songs 12 --seconds 40 >/dev/null
head -c 100 samples/format1_band.mid >"$work/songs/broken.mid"
cp samples/format0_tempo_volume.mid "$work/songs/Format0_Tempo_Volume.MID"
status=0
"$build/src/cli/quorvane" cut-all "$work/songs" --seconds 7 --dest "$work/by-cli" >/dev/null 2>&1 || status=$?
[ "$status" = 1 ] || fail "cut-all exit $status"
mv "$work/songs/Quorvane.log" "$work/by-cli/"
status=0
"$work/example/cut_folder" "$work/songs" 7 "$work/by-example" >/dev/null 2>&1 || status=$?
[ "$status" = 1 ] || fail "cut_folder exit $status"
mv "$work/songs/Quorvane.log" "$work/by-example/"
diff -r "$work/by-cli" "$work/by-example" >&2 || fail "cut_folder and cut-all made different files"
shopt -s nocaseglob
cuts=("$work"/by-cli/*-cut.mid)
[ ${#cuts[@]} = 16 ] || fail "cut-all made ${#cuts[@]} cuts, not 16"
echo "PASS: libquorvane installed, linked by find_package and pkg-config; cut_folder = cut-all (${#cuts[@]} cuts)"
