#!/usr/bin/env bash
# Makes the Debian package from a built release folder, checks what it holds
# and lintian's verdict, installs it with apt and runs what it installed.
#
#   tests/package/check_package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
source_dir=$PWD
cd "${1:-build/release}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

rm -f quorvane_*.deb
cpack -G DEB >/dev/null
deb=$(ls quorvane_*_amd64.deb)
contents=$(dpkg-deb -c "$deb")
for file in usr/bin/quorvane usr/bin/quorvane-gui usr/share/applications/quorvane.desktop \
            usr/share/icons/hicolor/32x32/apps/quorvane.png usr/share/icons/hicolor/128x128/apps/quorvane.png \
            usr/share/man/man1/quorvane.1.gz usr/share/man/man1/quorvane-gui.1.gz usr/share/doc/quorvane/copyright; do
  grep -q " \./$file\$" <<<"$contents" || { echo "FAIL: $deb lacks /$file"; exit 1; }
done
verdict=$(lintian --fail-on error "$deb" 2>&1) || { echo "$verdict"; echo "FAIL: lintian finds errors"; exit 1; }
grep -v 'running with root privileges' <<<"$verdict" || true

# Installed as a user would, with its dependencies; removed again afterwards
# unless it was there before.
was_installed=$(dpkg-query -W -f='${Status}' quorvane 2>/dev/null | grep -c 'install ok installed' || true)
work=$(mktemp -d)
cleanup() {
  rm -rf "$work"
  if [ "$was_installed" = 0 ]; then "${sudo_cmd[@]}" apt-get remove -y -qq quorvane >/dev/null; fi
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "./$deb" >/dev/null
version=$(/usr/bin/quorvane --version)
[ "$version" = "quorvane $(dpkg-deb -f "$deb" Version)" ] || { echo "FAIL: quorvane --version says $version"; exit 1; }
cp "$source_dir"/samples/*.mid "$work/"
/usr/bin/quorvane cut-all "$work" --seconds 5 2>/dev/null
cuts=$(ls "$work" | grep -ci -- '-cut\.mid$')
[ "$cuts" -eq "$(ls "$source_dir"/samples/*.mid | wc -l)" ] && [ -s "$work/Quorvane.log" ] ||
  { echo "FAIL: the installed cut-all wrote $cuts cuts"; exit 1; }
QT_QPA_PLATFORM=offscreen /usr/bin/quorvane-gui --source "$work" --select 1 --screenshot "$work/window.png"
[ -s "$work/window.png" ] || { echo "FAIL: the installed window saved no picture"; exit 1; }
echo "PASS: $deb ($version): contents, lintian, install, cut-all and the window"
