#!/usr/bin/env bash
# Every translation is complete and current: lupdate run over the sources changes
# nothing, and no text waits for its translation.
set -euo pipefail
lupdate=$1 sources=$2
shift 2
status=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for ts in "$@"; do
  cp "$ts" "$work/current.ts"
  "$lupdate" -silent -locations none -no-obsolete "@$sources" -ts "$work/current.ts" >/dev/null
  if ! cmp -s "$ts" "$work/current.ts"; then
    echo "$(basename "$ts") is not current with the sources; run: cmake --build build --target dashcam_lupdate" >&2
    diff -u "$ts" "$work/current.ts" | head -40 >&2 || true
    status=1
  fi
  if grep -q 'type="unfinished"' "$work/current.ts"; then
    echo "$(basename "$ts") has texts without a translation:" >&2
    grep -B2 'type="unfinished"' "$work/current.ts" | grep '<source>' >&2 || true
    status=1
  fi
done
exit $status
