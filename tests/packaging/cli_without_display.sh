#!/usr/bin/env bash
# --help and --version answer without any display to connect to.
set -euo pipefail
viewer=$1 telemetry=$2 version=$3
source "$(dirname "$0")/support.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

expect() {  # expect PATTERN PROGRAM ARGS...
  local pattern=$1; shift
  local out status=0
  out=$("$@" 2>&1) || status=$?
  [ "$status" -eq 0 ] || fail "$* exited with $status: $out"
  grep -qE "$pattern" <<<"$out" || fail "$* printed: $out"
}
expect "^Usage: .*dashcam-viewer \[options\] \[paths...\]" "$viewer" --help
expect "^Usage: " "$viewer" -h
expect "^Usage: " "$viewer" --help-all
expect "^dashcam-viewer $version \(libmpv client API [0-9]+\.[0-9]+\)$" "$viewer" --version
expect "^dashcam-viewer $version " "$viewer" -v
expect "^dashcam-telemetry $version$" "$telemetry" --version
