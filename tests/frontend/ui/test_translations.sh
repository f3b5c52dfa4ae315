#!/bin/sh
# The English translation is complete and up to date: lupdate, run over the
# sources into a copy of the .ts, finds no text without a translation, and
# the copy comes out unchanged (no text added, changed or dropped in the
# sources since the .ts was last brought up to date).
#   test_translations.sh LUPDATE SOURCE_DIR
set -eu
lupdate=$1
src=$2
ts=$src/frontend/ui/translations/orbisan_en.ts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/orbisan_en.ts"
"$lupdate" "$src/frontend/ui" "$src/frontend/report" -ts "$work/orbisan_en.ts" \
  -source-language ja_JP -target-language en_GB -locations none -no-obsolete -silent
if grep -n 'type="unfinished"' "$work/orbisan_en.ts"; then
  echo "texts without an English translation (above); fill them in $ts"
  exit 1
fi
if ! diff -u "$ts" "$work/orbisan_en.ts"; then
  echo "$ts is not up to date with the sources: run 'cmake --build build --target update-translations' and translate"
  exit 1
fi
echo "all $(grep -c '<source>' "$ts") texts translated"
