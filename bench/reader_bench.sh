#!/bin/sh
# Times `dashcam-telemetry samples` against its peer `exiftool -ee -n -j` reading the
# same recordings of each camera format, both writing every sample as JSON. The
# recordings are the generator's (one per format, copied FILES times), never
# downloaded. Warm: best of RUNS with the files in the page cache. Cold (--cold): the
# recordings' pages dropped from the cache before each run (posix_fadvise), as for
# a card just inserted; the programs and their libraries stay cached, as they are
# for someone who has used them before.
#   nice -n 19 bench/reader_bench.sh build [FILES [SECONDS [RUNS]]] [--cold]
set -eu
usage="usage: bench/reader_bench.sh BUILD_DIR [FILES [SECONDS [RUNS]]] [--cold]
  each camera format read by dashcam-telemetry samples beside exiftool -ee -n -j:
  FILES (50) recordings of SECONDS (60) each, best of RUNS (3)"
case "${1:-}" in
  -h|--help) echo "$usage"; exit 0 ;;
  "") echo "$usage" >&2; exit 2 ;;
esac
build=$(realpath "$1"); shift
cold=no
for a in "$@"; do [ "$a" = "--cold" ] && cold=yes; done
set -- $(for a in "$@"; do [ "$a" = "--cold" ] || echo "$a"; done)
files=${1:-50}
seconds=${2:-60}
runs=${3:-3}
gen="$build/tools/testgen/dashcam-testgen"
tool="$build/tools/telemetry/dashcam-telemetry"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Drops the recordings' pages from the page cache.
drop() {
  [ "$cold" = yes ] || return 0
  python3 -c 'import os, sys
for d in sys.argv[1:]:
    for n in os.listdir(d):
        fd = os.open(os.path.join(d, n), os.O_RDONLY)
        os.fsync(fd); os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED); os.close(fd)' "$dir"
}
# Best wall time of the runs, in seconds.
best() {
  b=
  for r in $(seq "$runs"); do
    drop
    s=$(date +%s.%N)
    "$@" >/dev/null 2>&1 </dev/null || true
    e=$(date +%s.%N)
    b=$(awk -v s="$s" -v e="$e" -v b="$b" 'BEGIN { t = e - s; print (b == "" || t < b) ? t : b }')
  done
  echo "$b"
}

echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg); $files files of $seconds s each; cache: $([ "$cold" = yes ] && echo cold || echo warm)"
printf "%-11s %10s %10s %7s\n" format ours_s exiftool_s ratio
for format in ambarella gopro novatek blackvue 70mai camm nmea-track; do
  dir="$work/$format"
  mkdir -p "$dir"
  if [ "$format" = ambarella ]; then "$gen" playable "$dir/SRC.MP4" "$seconds"
  else "$gen" "$format" "$dir/SRC.MP4" "$seconds"; fi
  for i in $(seq "$files"); do cp "$dir/SRC.MP4" "$dir/REC_$i.MP4"; done
  rm "$dir/SRC.MP4"
  ours=$(best "$tool" samples "$dir")
  peer=$(best exiftool -q -q -ee -n -j "$dir")
  printf "%-11s %10.3f %10.3f %6.1fx\n" "$format" "$ours" "$peer" "$(echo "$peer / $ours" | bc -l)"
done
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
