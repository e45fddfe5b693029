#!/bin/sh
# Times dashcam-telemetry clip against plain ffmpeg doing the same cut, on a 30 s
# span of 1080p video across two generated 20 s recordings (made here with
# ffmpeg's testsrc2, never downloaded). Run it under nice on a shared machine:
#   nice -n 19 bench/clip_bench.sh build/tools/telemetry/dashcam-telemetry [RUNS]
set -eu
tool=$(realpath "$1")
runs=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

for i in 0 1; do
  ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=20" \
    -c:v libx264 -preset ultrafast -g 30 -pix_fmt yuv420p "REC_$i.MP4"
done
printf "ffconcat version 1.0\nfile '%s'\ninpoint 5\noutpoint 20\nfile '%s'\ninpoint 0\noutpoint 15\n" \
  "$work/REC_0.MP4" "$work/REC_1.MP4" > list.ffconcat

now() { date +%s.%N; }
# Best of the runs, in seconds.
best() {
  b=
  for r in $(seq "$runs"); do
    t0=$(now); "$@" >/dev/null; t1=$(now)
    b=$(echo "$t1 - $t0" | bc -l | awk -v b="$b" '{ print (b == "" || $1 < b) ? $1 : b }')
  done
  echo "$b"
}

report() {
  overhead=$(echo "($2 / $3 - 1) * 100" | bc -l)
  printf "%-6s ours %7.2f s  ffmpeg %7.2f s  overhead %+5.1f %%\n" "$1" "$2" "$3" "$overhead"
}

ours=$(best "$tool" clip --fast --from 5 --to 35 -o fast.mp4 REC_0.MP4 REC_1.MP4)
plain=$(best ffmpeg -v error -y -f concat -safe 0 -i list.ffconcat -map 0:v -map '0:a?' -map '0:s?' -c copy \
  -movflags +faststart -f mp4 plain-fast.mp4)
report Fast "$ours" "$plain"

ours=$(best "$tool" clip --from 5 --to 35 -o exact.mp4 REC_0.MP4 REC_1.MP4)
plain=$(best ffmpeg -v error -y -ss 5 -t 15 -i REC_0.MP4 -ss 0 -t 15 -i REC_1.MP4 \
  -filter_complex '[0:v:0][1:v:0]concat=n=2:v=1:a=0[v]' -map '[v]' -c:v libx264 -crf 20 -preset veryfast \
  -pix_fmt yuv420p -movflags +faststart -f mp4 plain-exact.mp4)
report Exact "$ours" "$plain"
