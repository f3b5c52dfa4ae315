#!/usr/bin/env bash
# Starts the product in its working directory build/bin/, where the programs
# and the installed data files live together.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
cd "$bin"

# Until the desktop front end exists: the table estimate with the forms'
# default conditions, from the command-line front door.
echo "orbisan-cli estimate (default conditions: 75 kV, 3.5 mm Al, FSD 80 cm, FFD 100 cm, 43.2 x 35.6 cm):"
exec ./orbisan-cli estimate
