#!/bin/bash
# Drift between channels over ten minutes: usage bench/channel_drift.sh [WORK_DIR].
# Ten minutes of front and rear, the same moving picture (testsrc: a frame counter and a
# moving bar) encoded separately (different key frame spacing); every frame mpv composes
# side by side is written out and its halves compared: identical halves = same instant.
set -e
work=${1:-$(mktemp -d)}; cd "$work"; echo "work folder: $work"
ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=10 -t 600 -c:v libx264 -preset veryfast -g 250 -pix_fmt yuv420p F.mp4
ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=10 -t 600 -c:v libx264 -preset veryfast -g 37 -bf 0 -pix_fmt yuv420p R.mp4
rm -rf frames && mkdir frames
mpv --no-config --ao=null --vo=image --vo-image-format=png --vo-image-outdir=frames --external-file=R.mp4 \
  '--lavfi-complex=[vid1]scale=160:120,setsar=1[s0];[vid2]scale=160:120,setsar=1[s1];[s0][s1]hstack=inputs=2[vo]' F.mp4 >/dev/null 2>&1
# Each frame's left half against its right half; then against the right half one frame
# later, to show how far apart one frame of drift would put them.
ffmpeg -v error -framerate 10 -i frames/%08d.png -filter_complex \
  '[0:v]split[a][b];[a]crop=160:120:0:0[l];[b]crop=160:120:160:0[r];[l][r]psnr=stats_file=psnr.log' -f null -
ffmpeg -v error -framerate 10 -i frames/%08d.png -framerate 10 -start_number 2 -i frames/%08d.png -filter_complex \
  '[0:v]crop=160:120:0:0[l];[1:v]crop=160:120:160:0[r];[l][r]psnr=stats_file=shift.log' -frames:v 600 -f null -
python3 - <<'PY'
def psnr(name):
    return [float(dict(kv.split(':') for kv in line.split())['psnr_avg'].replace('inf', '1e9')) for line in open(name)]
same, shifted = psnr('psnr.log'), psnr('shift.log')
print(f'same frame: {len(same)} frames, lowest {min(same):.1f} dB; one frame apart: {len(shifted)} frames, highest {max(shifted):.1f} dB')
print('drift: 0 frames' if min(same) > max(shifted) else 'drift: some frames are closer to the next frame than to their own')
PY
