#!/usr/bin/env bash
# The desktop entry and AppStream metadata pass their validators, name the
# version being built, and each man page documents every option its program's
# --help lists.
set -euo pipefail
built=$1 app_id=$2 version=$3; shift 3
source "$(dirname "$0")/support.sh"

desktop-file-validate "$built/$app_id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$built/$app_id.metainfo.xml" || fail "metainfo"
grep -m1 '<release ' "$built/$app_id.metainfo.xml" | grep -q "version=\"$version\"" \
  || fail "the newest release in the metainfo is not $version"
head -1 "$built/debian/changelog" | grep -q "^dashcam-viewer ($version)" \
  || fail "the newest Debian changelog entry is not $version"

for program in "$@"; do
  name=$(basename "$program")
  page=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$built/man/$name.1")
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help)
  # Options on the lines that start with one, and the names under "Commands:".
  words=$(grep -E '^ +-' <<<"$help" | grep -oE '(^|[ ,])--?[A-Za-z][A-Za-z-]*' | tr -d ' ,' || true)
  words+=" $(sed -n '/^Commands:/,/^$/p' <<<"$help" | grep -oE '^  [a-z]+  ' | tr -d ' ' || true)"
  [ -n "$(echo $words)" ] || fail "no options found in $name --help"
  for word in $words; do
    grep -qE -- "(^|[^A-Za-z-])$word([^A-Za-z-]|$)" <<<"$page" || fail "$name(1) does not document $word"
  done
done
