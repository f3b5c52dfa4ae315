#!/usr/bin/env bash
# Starts the product in its working directory build/bin/, where the programs
# and the installed data files live together.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
cd "$bin"

# The physics data files are installed from data/. Until they are built
# there, the engine's synthetic test fixtures stand in, so that a run works.
for f in ICRUSoft.dat Att_Coeff2020.dat; do
  if [ ! -f "$f" ]; then
    echo "note: $f is not installed yet; using the synthetic test fixture from tests/engine/data" >&2
    cp "$root/tests/engine/data/$f" "$f"
  fi
done

# Until the desktop front end exists: one engine run on the default example.
cp "$root/examples/joken.txt" "$root/examples/X_SPCTL.dat" .
echo "Running Korvane in $bin on the default example (50,000,000 histories)..."
exec ./Korvane
