#!/usr/bin/env bash
# Starts the product in its working directory build/bin/, where the programs
# and the installed data files live together.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
cd "$bin"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./Orbisan
fi

# No display: the table estimate with the forms' default conditions, from
# the command-line front door.
echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset), so the desktop front end cannot open."
echo "orbisan-cli estimate (default conditions: 75 kV, 3.5 mm Al, FSD 80 cm, FFD 100 cm, 43.2 x 35.6 cm):"
exec ./orbisan-cli estimate
