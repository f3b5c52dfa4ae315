#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it as a user would:
# orbisan-cli from another directory (the installed data and engines found
# by themselves), and the installed Orbisan started offscreen with a
# temporary home, which creates and fills its per-user working folder and
# refreshes a data file there that differs from the installed one; an
# installed engine then runs in that folder.
set -euo pipefail
build=$1 source=$2 gui=$3
tmp=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/usr" >/dev/null
prefix=$tmp/usr
data="Att_Coeff2020.dat ICRUSoft.dat dBSF-AirDose-SoftPhantom.dat dBSF-SkinDose-SoftPhantom.dat dBSF-SoftDose-SoftPhantom.dat"
expected="bin/Korvane bin/Teslund bin/Mirabek bin/orbisan-cli share/doc/orbisan/README.md share/doc/orbisan/data-provenance.md"
for f in $data; do expected="$expected share/orbisan/$f"; done
if [ "$gui" = ON ]; then
  expected="$expected bin/Orbisan share/applications/orbisan.desktop share/icons/hicolor/scalable/apps/orbisan.svg"
fi
for f in $expected; do [ -e "$prefix/$f" ] || fail "the installation lacks $f"; done

# The command line from a folder without data: the installed share folder.
mkdir "$tmp/elsewhere"
cd "$tmp/elsewhere"
got=$("$prefix/bin/orbisan-cli" estimate --json --kv 80)
want=$(cd "$build/bin" && ./orbisan-cli estimate --json --kv 80)
[ "$got" = "$want" ] || fail "the installed orbisan-cli computes otherwise than the build: $got"
"$prefix/bin/orbisan-cli" mc --phantom cylinder --histories 100000 --json > mc.json ||
  fail "orbisan-cli mc with the installed engines: $(cat mc.json)"
grep -q '"u_air_kerma"' mc.json || fail "no Monte Carlo result: $(cat mc.json)"
[ -z "$(ls -A "$tmp/elsewhere" | grep -v '^mc.json$')" ] || fail "orbisan-cli left files in the current folder"

[ "$gui" = ON ] || exit 0

# The installed Orbisan, with a home of its own: the per-user folder.
home=$tmp/home
work=$home/.local/share/orbisan/work
mkdir -p "$home"
start_orbisan() {
  (cd "$tmp/elsewhere" && exec env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
     "$prefix/bin/Orbisan" "$@" >"$tmp/orbisan.log" 2>&1) &
  pid=$!
}
# Waits until every data file of the working folder equals the installed
# one, with Orbisan running.
wait_filled() {
  for _ in $(seq 100); do
    local same=1
    for f in $data; do cmp -s "$prefix/share/orbisan/$f" "$work/$f" || same=0; done
    if [ $same = 1 ]; then
      sleep 0.5
      kill -0 "$pid" 2>/dev/null || fail "Orbisan ended: $(cat "$tmp/orbisan.log")"
      return 0
    fi
    sleep 0.1
  done
  fail "the working folder $work was not filled: $(ls -l "$work" 2>&1) $(cat "$tmp/orbisan.log")"
}
stop_orbisan() { kill "$pid"; wait "$pid" 2>/dev/null || true; pid=; }

start_orbisan
wait_filled
stop_orbisan
[ -z "$(ls -A "$tmp/elsewhere" | grep -v '^mc.json$')" ] || fail "Orbisan wrote into the folder it was started from"

# A copy that differs from the installed file (an older version's) is
# replaced at the next start; the exchange files are left alone. The
# language asked for on the command line is remembered for the next start.
printf 'an older table\r\n' > "$work/dBSF-SkinDose-SoftPhantom.dat"
cp "$source/examples/joken.txt" "$source/examples/X_SPCTL.dat" "$work/"
start_orbisan --lang en
wait_filled
stop_orbisan
cmp -s "$source/examples/joken.txt" "$work/joken.txt" || fail "joken.txt was touched"
grep -qx 'language=en' "$home/.config/Orbisan/Orbisan.conf" ||
  fail "--lang en was not remembered: $(cat "$home/.config/Orbisan/Orbisan.conf" 2>&1)"

# An installed engine, by its absolute path, in the per-user folder.
(cd "$work" && printf '\n' | "$prefix/bin/Korvane" > korvane.out 2>&1) || fail "Korvane: $(cat "$work/korvane.out")"
[ -s "$work/ResultBSF.txt" ] || fail "Korvane wrote no result in $work"
echo "installed into $prefix: orbisan-cli, the per-user folder and an engine run work"
