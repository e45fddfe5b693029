# Shared by the packaging tests: a scratch folder and a viewer run until it has
# indexed what it was given.

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# No settings, tile cache or network of the user's.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config XDG_CACHE_HOME=$scratch/home/.cache
export DASHCAM_TILE_URL= DASHCAM_ROUTING_URL=

fail() { echo "FAIL: $*" >&2; exit 1; }

# run_until_loaded LOG VIEWER ARGS...: starts the viewer, waits (up to 60 s) for
# "Load Finished" on its standard error, then closes it.
run_until_loaded() {
  local log=$1; shift
  "$@" 2>"$log" &
  local pid=$!
  for _ in $(seq 600); do
    grep -qx 'Load Finished' "$log" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  grep -qx 'Load Finished' "$log" || { cat "$log" >&2; fail "no \"Load Finished\" from $*"; }
}
