#!/usr/bin/env bash
# The Debian package: built by CPack from the build, named orbisan, with
# the programs, the data and the desktop entry under /usr, and dependencies
# on the runtime libraries the programs link (found by dpkg-shlibdeps) and
# on what they start and draw with.
set -euo pipefail
build=$1 gui=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 || fail "cpack: $(cat "$tmp/cpack.log")"
deb=$(ls "$tmp"/orbisan_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no package orbisan_*.deb in $(ls "$tmp")"
[ "$(dpkg-deb -f "$deb" Package)" = orbisan ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
needed="libc6 libstdc++6 bash"
[ "$gui" = ON ] && needed="$needed libqt6widgets6 libqt6gui6 fonts-ipafont-gothic util-linux"
for d in $needed; do
  case ", $depends" in *", $d"*) ;; *) fail "Depends lacks $d: $depends" ;; esac
done
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
files="./usr/bin/Korvane ./usr/bin/Teslund ./usr/bin/Mirabek ./usr/bin/orbisan-cli ./usr/share/orbisan/Att_Coeff2020.dat
./usr/share/orbisan/ICRUSoft.dat ./usr/share/doc/orbisan/README.md"
[ "$gui" = ON ] && files="$files ./usr/bin/Orbisan ./usr/share/applications/orbisan.desktop
./usr/share/icons/hicolor/scalable/apps/orbisan.svg"
for f in $files; do
  grep -qx -- "$f" <<<"$contents" || fail "the package lacks $f"
done
outside=$(grep -v '^\./usr/' <<<"$contents" | grep -v '^\./$' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
echo "$(basename "$deb"): Depends: $depends"
