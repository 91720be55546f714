#!/usr/bin/env bash
# check_package.sh BUILD_DIR VERSION: builds the Debian package from the build into a
# scratch folder, checks its declared dependencies (derived by dpkg-shlibdeps) cover the
# program's libraries and resolve on this machine (apt-get --simulate: nothing changes),
# unpacks it into a scratch root and starts the unpacked program with --version, the
# library path untouched. Leaves nothing behind and installs nothing.
set -euo pipefail
build=$1 version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/out/quillmix_"$version"_*.deb)

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libportaudio2 libavcodec libavformat libswresample libfftw3; do
  grep -q "$lib" <<<"$depends" || fail "no dependency on $lib"
done
if command -v apt-get >/dev/null; then
  apt-get install --simulate -qq "$deb" >"$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "dependencies do not resolve"; }
fi

dpkg-deb -x "$deb" "$scratch/root"
for path in usr/bin/quillmix usr/share/applications/quillmix.desktop usr/share/quillmix/skins/playPause.png \
            usr/share/icons/hicolor/256x256/apps/quillmix.png; do
  [ -e "$scratch/root/$path" ] || fail "$path not in the package"
done
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$scratch/root/usr/bin/quillmix" --version)
[ "$out" = "Quillmix $version" ] || fail "--version printed '$out'"
