#!/usr/bin/env bash
# The Windows installer under Wine: a silent install puts the programs, the
# licence, the Start-menu entry and the uninstaller in place, and the
# installed command line runs; the silent uninstall removes them all but
# leaves the user's settings.
# Usage: installer_check.sh INSTALLER.exe WINE  (WINEPREFIX set and booted)
set -euo pipefail
installer=$1 wine=$2
drive=$WINEPREFIX/drive_c
target=$drive/QuorvaneCheck
settings=$(find "$drive/users" -maxdepth 1 -mindepth 1 ! -name Public | head -1)/AppData/Roaming/Quorvane
fail() { echo "installer check: $*" >&2; exit 1; }

"$wine" "$installer" /S '/D=C:\QuorvaneCheck'
for file in bin/quorvane.exe LICENSE.txt README.txt Uninstall.exe; do
  [ -f "$target/$file" ] || fail "the install lacks $file"
done
if [ -n "${QUORVANE_EXPECT_GUI:-}" ]; then
  [ -f "$target/bin/quorvane-gui.exe" ] || fail "the install lacks bin/quorvane-gui.exe"
  find "$drive" -path '*Start Menu*' -iname 'Quorvane.lnk' | grep -q . || fail "no Start-menu entry"
fi
version=$("$wine" "$target/bin/quorvane.exe" --version | tr -d '\r')
case $version in *Quorvane*|*quorvane*) ;; *) fail "the installed quorvane.exe says: $version" ;; esac

mkdir -p "$settings"
printf '[folders]\n' > "$settings/quorvane.ini"
"$wine" "$target/Uninstall.exe" /S
# The uninstaller runs from a copy of itself and returns at once.
for _ in $(seq 60); do
  [ -e "$target/bin/quorvane.exe" ] || break
  sleep 0.5
done
[ ! -e "$target/bin/quorvane.exe" ] || fail "the uninstall left the programs"
[ ! -e "$target/LICENSE.txt" ] || fail "the uninstall left the licence"
[ -f "$settings/quorvane.ini" ] || fail "the uninstall removed the user's settings"
echo "installer check: installed, ran, uninstalled; settings kept"
