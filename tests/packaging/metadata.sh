#!/usr/bin/env bash
# The desktop entry and AppStream metadata pass their validators and name the version
# being built; each program answers --help and --version without a display, and its
# man page documents every option its --help lists and says what the programs'
# tests find them doing.
set -euo pipefail
built=$1 app_id=$2 version=$3 viewer=$4 telemetry=$5
source "$(dirname "$0")/support.sh"

desktop-file-validate "$built/$app_id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$built/$app_id.metainfo.xml" || fail "metainfo"
grep -m1 '<release ' "$built/$app_id.metainfo.xml" | grep -q "version=\"$version\"" \
  || fail "the newest release in the metainfo is not $version"
head -1 "$built/debian/changelog" | grep -q "^dashcam-viewer ($version)" \
  || fail "the newest Debian changelog entry is not $version"

headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
expect() {  # expect PATTERN PROGRAM ARGS...
  local pattern=$1 out; shift
  out=$(headless "$@" 2>&1) || fail "$* exited with $?: $out"
  grep -qE "$pattern" <<<"$out" || fail "$* printed: $out"
}
expect "^Usage: .*dashcam-viewer \[options\] \[paths...\]" "$viewer" --help
expect "^Usage: " "$viewer" -h
expect "^Usage: " "$viewer" --help-all
expect "^dashcam-viewer $version \(libmpv client API [0-9]+\.[0-9]+\)$" "$viewer" --version
expect "^dashcam-viewer $version " "$viewer" -v
expect "^dashcam-telemetry $version$" "$telemetry" --version

for program in "$viewer" "$telemetry"; do
  name=$(basename "$program")
  page=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$built/man/$name.1")
  help=$(headless "$program" --help)
  # Options on the lines that start with one, and the names under "Commands:".
  words=$(grep -E '^ +-' <<<"$help" | grep -oE '(^|[ ,])--?[A-Za-z][A-Za-z-]*' | tr -d ' ,' || true)
  words+=" $(sed -n '/^Commands:/,/^$/p' <<<"$help" | grep -oE '^  [a-z]+  ' | tr -d ' ' || true)"
  [ -n "$(echo $words)" ] || fail "no options found in $name --help"
  for word in $words; do
    grep -qE -- "(^|[^A-Za-z-])$word([^A-Za-z-]|$)" <<<"$page" || fail "$name(1) does not document $word"
  done
done

# The statements that once said otherwise than the programs do; tests/clips,
# tests/tools and tests/app check the behaviour itself.
text() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/^\.[A-Z]* //' "$built/man/$1.1" | tr -s ' \n' '  '; }
says() {  # says WHERE TEXT PATTERN
  grep -qiE -- "$3" <<<"$2" || fail "$1 does not say: $3"
}
tool_statements() {  # tool_statements WHERE TEXT
  says "$1" "$2" "re-encoded \\(H\\.264, CRF 20, the recordings' size and frame rate\\) with (the recordings'|their) sound \\(AAC\\)"
  says "$1" "$2" "found no position fix in any file ?[.:] the output is still written[:,] a document without any track"
  ! grep -qi "video only" <<<"$2" || fail "$1 says that a re-encoded clip is video only"
}
tool_statements "dashcam-telemetry(1)" "$(text dashcam-telemetry)"
tool_statements "dashcam-telemetry --help" "$(headless "$telemetry" --help | tr -s ' \n' '  ')"
says "dashcam-viewer(1)" "$(text dashcam-viewer)" "names end in \\.mp4 or \\.mov in any case in it and its subfolders, hidden ones and system folders left out"

# Installing must not make the viewer the default player for MP4 files: with a
# player that claims video/mp4 beside it, that player stays the one xdg-mime and
# mailcap choose (both go by the MimeType lines of the installed desktop entries).
apps=$scratch/share/applications
mkdir -p "$apps" "$scratch/config"
cp "$built/$app_id.desktop" "$apps/"
printf '[Desktop Entry]\nType=Application\nName=mpv\nExec=mpv %%U\nMimeType=video/mp4;\n' >"$apps/mpv.desktop"
update-desktop-database "$apps"
default=$(XDG_DATA_HOME=$scratch/none XDG_DATA_DIRS=$scratch/share XDG_CONFIG_HOME=$scratch/config \
  XDG_CONFIG_DIRS=$scratch/config XDG_CURRENT_DESKTOP= xdg-mime query default video/mp4)
[ "$default" = mpv.desktop ] || fail "installing makes $default the default for video/mp4"
! grep -q '^MimeType=' "$built/$app_id.desktop" || fail "the desktop entry claims media types, so update-mime makes it a mailcap handler"
