#!/usr/bin/env bash
# The build for machines without a desktop: the engines and orbisan-cli
# with ORBISAN_GUI=OFF, Qt hidden from CMake; the estimate and a Monte Carlo
# run work, nothing links Qt, and a PDF report is refused with a reason.
set -euo pipefail
source=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake -S "$source" -B "$tmp/build" -DCMAKE_BUILD_TYPE=Release -DORBISAN_GUI=OFF -DORBISAN_BUILD_TESTS=OFF \
  -DORBISAN_BUILD_BENCH=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON >"$tmp/configure.log" 2>&1 ||
  fail "configure: $(tail -20 "$tmp/configure.log")"
cmake --build "$tmp/build" -j2 --target orbisan-cli Mirabek >"$tmp/build.log" 2>&1 || fail "build: $(tail -30 "$tmp/build.log")"
bin=$tmp/build/bin
if ldd "$bin/orbisan-cli" | grep -qi qt; then fail "orbisan-cli links Qt: $(ldd "$bin/orbisan-cli")"; fi
cd "$tmp"
"$bin/orbisan-cli" estimate --json > estimate.json || fail "estimate: $(cat estimate.json)"
grep -q '"bsf_air_kerma"' estimate.json || fail "estimate: $(cat estimate.json)"
"$bin/orbisan-cli" mc --phantom cylinder --histories 100000 --json > mc.json || fail "mc: $(cat mc.json)"
grep -q '"u_air_kerma"' mc.json || fail "mc: $(cat mc.json)"
set +e
"$bin/orbisan-cli" estimate --report r.pdf > out.txt 2> err.txt
status=$?
set -e
[ $status = 2 ] || fail "--report without Qt: status $status"
grep -q -- "--report: this orbisan-cli was built without Qt" err.txt || fail "--report without Qt: $(cat err.txt)"
[ ! -e r.pdf ] || fail "a report was written"
echo "without Qt: orbisan-cli and the engines build and run"
