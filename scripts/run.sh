#!/usr/bin/env bash
# Starts the product in its working directory build/bin/, where the programs
# and the installed data files live together.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
cd "$bin"

# Until the desktop front end exists: one engine run on the default example.
cp "$root/examples/joken.txt" "$root/examples/X_SPCTL.dat" .
echo "Running Korvane in $bin on the default example (50,000,000 histories)..."
exec ./Korvane
