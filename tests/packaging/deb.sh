#!/usr/bin/env bash
# Builds the .deb, checks it with lintian, unpacks it into a scratch root and
# runs what it holds: proof that the installed files work on their own.
set -euo pipefail
build=$1 app_id=$2 version=$3 testgen=$4 sanitized=${5:-0}
source "$(dirname "$0")/support.sh"

cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" >"$scratch/cpack.log" 2>&1 \
  || { cat "$scratch/cpack.log" >&2; fail cpack; }
deb=$(echo "$scratch"/out/dashcam-viewer_"$version"_*.deb)
[ -f "$deb" ] || fail "no package in $scratch/out"

lintian -I --fail-on error "$deb" >"$scratch/lintian.txt" || { cat "$scratch/lintian.txt" >&2; fail "lintian found errors"; }
[ "$(dpkg-deb -f "$deb" Recommends)" = ffmpeg ] || fail "ffmpeg is not recommended"
dpkg-deb -f "$deb" Depends | grep -q 'libmpv' || fail "dependencies were not computed"

# Exactly the program's files, and no test programs or generators.
expected=(
  usr/bin/dashcam-telemetry
  usr/bin/dashcam-viewer
  usr/share/applications/$app_id.desktop
  usr/share/doc/dashcam-viewer/changelog.gz
  usr/share/doc/dashcam-viewer/copyright
  usr/share/icons/hicolor/128x128/apps/$app_id.png
  usr/share/icons/hicolor/256x256/apps/$app_id.png
  usr/share/icons/hicolor/48x48/apps/$app_id.png
  usr/share/icons/hicolor/scalable/apps/$app_id.svg
  usr/share/man/man1/dashcam-telemetry.1.gz
  usr/share/man/man1/dashcam-viewer.1.gz
  usr/share/metainfo/$app_id.metainfo.xml
)
dpkg-deb -x "$deb" "$scratch/root"
actual=$(cd "$scratch/root" && find . -type f -printf '%P\n' | LC_ALL=C sort)
[ "$actual" = "$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)" ] || fail "package holds: $actual"
for size in 48 128 256; do
  file "$scratch/root/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png" | grep -q "$size x $size" \
    || fail "the $size px icon has another size"
done

bin=$scratch/root/usr/bin
# A sanitizer build keeps the build folder's moc file names in its own data; the plain build ships.
if [ "$sanitized" != 1 ]; then
  for exe in "$bin"/*; do
    ! grep -qaF "$build" "$exe" || fail "$exe refers to the build folder"
    # Hardened as Debian's own packages: read-only relocations bound at start,
    # fortified libc calls and a stack protector.
    # (grep reads whole here-strings: a pipe's early close would fail under pipefail)
    grep -q GNU_RELRO <<<"$(readelf -lW "$exe")" || fail "$exe has no RELRO segment"
    grep -qE 'FLAGS.*(BIND_NOW|NOW)' <<<"$(readelf -dW "$exe")" || fail "$exe does not bind at start (BIND_NOW)"
    symbols=$(readelf --dyn-syms -W "$exe")
    grep -qE '__[a-z]+_chk@' <<<"$symbols" || fail "$exe calls no fortified function"
    grep -q '__stack_chk_fail@' <<<"$symbols" || fail "$exe has no stack protector"
  done
  ! grep -E ' hardening-' "$scratch/lintian.txt" || fail "lintian finds the binaries unhardened"
fi
"$bin/dashcam-viewer" --version | grep -qx "dashcam-viewer $version (libmpv client API .*)" || fail "viewer --version"
[ "$("$bin/dashcam-telemetry" --version)" = "dashcam-telemetry $version" ] || fail "dashcam-telemetry --version"

mkdir "$scratch/samples"
for n in 1 2; do "$testgen" synthetic "$scratch/samples/REC_000$n.MP4" 10 >/dev/null; done
run_until_loaded "$scratch/viewer.log" "$bin/dashcam-viewer" "$scratch/samples"
! grep -q "Couldn't get file attributes!" "$scratch/viewer.log" || fail "the viewer could not read the samples"
