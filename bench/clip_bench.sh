#!/bin/sh
# Times dashcam-telemetry clip against plain ffmpeg doing the same cut, on a 30 s
# span of 1080p video across two generated 20 s recordings (made here with
# ffmpeg's testsrc2, never downloaded). Run it under nice on a shared machine:
#   nice -n 19 bench/clip_bench.sh build/tools/telemetry/dashcam-telemetry [RUNS [EXACT_RUNS]]
set -eu
usage="usage: bench/clip_bench.sh DASHCAM_TELEMETRY [RUNS [EXACT_RUNS]]
  Fast and Exact clips beside plain ffmpeg: best of RUNS (3), Exact best of EXACT_RUNS (RUNS)"
case "${1:-}" in
  -h|--help) echo "$usage"; exit 0 ;;
  "") echo "$usage" >&2; exit 2 ;;
esac
tool=$(realpath "$1")
runs=${2:-3}
exact_runs=${3:-$runs}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

for i in 0 1; do
  ffmpeg -nostdin -v error -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=20" \
    -c:v libx264 -preset ultrafast -g 30 -pix_fmt yuv420p "REC_$i.MP4"
done
printf "ffconcat version 1.0\nfile '%s'\ninpoint 5\noutpoint 20\nfile '%s'\ninpoint 0\noutpoint 15\n" \
  "$work/REC_0.MP4" "$work/REC_1.MP4" > list.ffconcat

# Best of the runs: wall time and CPU time (user + system, ffmpeg's included), in
# seconds. CPU time is the steadier figure on a shared machine.
best() {
  bw= bc=
  for r in $(seq "$runs"); do
    /usr/bin/time -f "%e %U %S" -o time.txt "$@" >/dev/null </dev/null
    read -r wall user sys < time.txt
    cpu=$(echo "$user + $sys" | bc -l)
    bw=$(awk -v a="$wall" -v b="$bw" 'BEGIN { print (b == "" || a < b) ? a : b }')
    bc=$(awk -v a="$cpu" -v b="$bc" 'BEGIN { print (b == "" || a < b) ? a : b }')
  done
  echo "$bw $bc"
}

report() {
  set -- "$1" $2 $3
  printf "%-6s wall: ours %7.2f s, ffmpeg %7.2f s (%+5.1f %%)   CPU: ours %7.2f s, ffmpeg %7.2f s (%+5.1f %%)\n" \
    "$1" "$2" "$4" "$(echo "($2 / $4 - 1) * 100" | bc -l)" "$3" "$5" "$(echo "($3 / $5 - 1) * 100" | bc -l)"
}

ours=$(best "$tool" clip --fast --from 5 --to 35 -o fast.mp4 REC_0.MP4 REC_1.MP4)
plain=$(best ffmpeg -nostdin -v error -y -f concat -safe 0 -i list.ffconcat -map 0:v -map '0:a?' -c copy \
  -f mp4 plain-fast.mp4)
report Fast "$ours" "$plain"

runs=$exact_runs
ours=$(best "$tool" clip --from 5 --to 35 -o exact.mp4 REC_0.MP4 REC_1.MP4)
plain=$(best ffmpeg -nostdin -v error -y -ss 5 -t 15 -i REC_0.MP4 -ss 0 -t 15 -i REC_1.MP4 \
  -filter_complex '[0:v:0][1:v:0]concat=n=2:v=1:a=0[v]' -map '[v]' -c:v libx264 -crf 20 -preset veryfast \
  -pix_fmt yuv420p -f mp4 plain-exact.mp4)
report Exact "$ours" "$plain"
