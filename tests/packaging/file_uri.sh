#!/usr/bin/env bash
# A recording given as a file:// URI, as a desktop file manager passes it, is
# opened as the file it names. At start the viewer sweeps away the clip work
# folders of processes that are gone (killed while writing a clip).
set -euo pipefail
viewer=$1 testgen=$2
source "$(dirname "$0")/support.sh"

mkdir -p "$scratch/my drive"
"$testgen" synthetic "$scratch/my drive/REC_0001.MP4" 5 >/dev/null
uri="file://${scratch// /%20}/my%20drive/REC_0001.MP4"
export TMPDIR=$scratch/tmp
sh -c 'exit 0' & gone=$!
wait "$gone"
mkdir -p "$TMPDIR/dashcam-clip-$gone-AbC123/sub" "$TMPDIR/dashcam-clip-$$-AbC123"
# A missing file beside it shows that an unreadable path is reported.
run_until_loaded "$scratch/log" "$viewer" "$uri" "$scratch/MISSING.MP4"
left=$(cd "$TMPDIR" && echo dashcam-clip-*)
[ "$left" = "dashcam-clip-$$-AbC123" ] || fail "work folders left: $left"
unreadable=$(grep -c "Couldn't get file attributes!" "$scratch/log" || true)
[ "$unreadable" -eq 1 ] || { cat "$scratch/log" >&2; fail "expected only MISSING.MP4 unreadable, got $unreadable"; }
