#!/usr/bin/env bash
# quorvane.exe end to end under Wine: non-ASCII names as arguments and on
# disk, the log at FOLDER\Quorvane.log (at a drive root shown with two
# backslashes in a row, and written), cuts replaced, a read-only one refused.
#   windows_check.sh WINE QUORVANE_EXE SAMPLES WORK
set -euo pipefail
wine=$1 exe=$2 samples=$3 work=$4
export WINEDEBUG=-all LC_ALL=C.UTF-8  # arguments reach Wine as UTF-8
prefix=${WINEPREFIX:-$HOME/.wine}
fail() { echo "FAIL: $*" >&2 && exit 1; }
windows() { printf 'Z:%s' "${1//\//\\}"; }              # a Linux path on Wine's Z: drive
run() { "$wine" "$exe" "$@" 2>/dev/null | tr -d '\r'; }  # text mode ends lines with CR LF
cuts() { run cut-all "$1" --seconds "$2"; }
no_leftovers() { ! find "$1" -name '.quorvane-*' | grep -q . || fail "a temporary is left in $1"; }
rm -rf "$work" && mkdir -p "$work"

folder="$work/Ünïcödé ☃" && mkdir "$folder"
cp "$samples/format1_band.mid" "$folder/Ünïcödé ☃.mid"
cp "$samples/format0_tempo_volume.mid" "$folder/zero.MID"
log=$(cuts "$(windows "$folder")" 5) || fail "cut-all in $folder"
[ "$log" = "$(windows "$folder")\\Quorvane.log" ] || fail "log path: $log"
# Ü is read as U, so the song comes before zero.MID, as everywhere.
grep -q $'^1\\. ÜNÏCÖDÉ ☃\\.MID: [0-9:]*\tÜNÏCÖDÉ ☃-cut\\.mid:00:0[56] - Format: 1\r$' "$folder/Quorvane.log" &&
  [ -s "$folder/Ünïcödé ☃-CUT.mid" ] || fail "$(ls "$folder"; cat "$folder/Quorvane.log")"

cp "$folder/zero-cut.mid" "$work/before" && chmod a-w "$folder/zero-cut.mid"
status=0 && cuts "$(windows "$folder")" 7 >/dev/null || status=$?
grep -q '^2\. ZERO\.MID: CANNOT WRITE FILE' "$folder/Quorvane.log" && [ "$status" = 1 ] &&
  grep -q $'^1\\. .*:00:0[78] - Format: 1\r$' "$folder/Quorvane.log" && cmp -s "$folder/zero-cut.mid" "$work/before" ||
  fail "a read-only cut: exit $status, $(cat "$folder/Quorvane.log")"
chmod u+w "$folder/zero-cut.mid" && no_leftovers "$folder"

root="$work/root" && mkdir "$root" && cp "$samples/format1_band.mid" "$root/Song.mid"
for drive in q r s t u v w x y; do [ -e "$prefix/dosdevices/$drive:" ] || [ -L "$prefix/dosdevices/$drive:" ] || break; done
link="$prefix/dosdevices/$drive:" && ln -s "$root" "$link" && trap 'rm -f "$link"' EXIT
log=$(cuts "${drive^^}:\\" 5) || fail "cut-all at a drive root"
[ "$log" = "${drive^^}:\\\\Quorvane.log" ] && [ -s "$root/Quorvane.log" ] && [ -s "$root/Song-CUT.mid" ] ||
  fail "at a drive root: $log, $(ls "$root")"
no_leftovers "$root"
echo "quorvane.exe end to end: ok"
