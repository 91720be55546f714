#!/usr/bin/env bash
# check_install.sh BUILD_DIR VERSION: installs the build into a fresh staging prefix, checks
# that the program, its skins (where the program looks: ../share/quillmix/skins from its
# folder), the theme icons and a valid menu entry are there, and that the installed program
# answers --version and --help. Leaves nothing behind.
set -euo pipefail
build=$1 version=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

cmake --install "$build" --prefix "$stage/usr" >/dev/null
prefix=$stage/usr
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -x "$prefix/bin/quillmix" ] || fail "no program in bin"
skins=$prefix/bin/../share/quillmix/skins
for image in playPause.png playPauseSelected.png playPauseDisabled.png powerOn.png powerOff.png; do
  [ -s "$skins/$image" ] || fail "skin $image missing from $skins"
done
for size in 16 22 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/quillmix.png
  [ -s "$icon" ] || fail "icon $icon missing"
  # A PNG whose header gives the size of its folder.
  read -r width height < <(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4, $7*256+$8}')
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "icon $icon is ${width}x${height}"
done

entry=$prefix/share/applications/quillmix.desktop
desktop-file-validate "$entry" || fail "menu entry does not validate"
grep -qx 'Name=Quillmix' "$entry" || fail "menu entry name"
grep -qx 'Icon=quillmix' "$entry" || fail "menu entry icon"

# From its installed place, without a display: the options are read before any window.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/quillmix" --version)
[ "$out" = "Quillmix $version" ] || fail "--version printed '$out'"
env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/quillmix" --help | grep -q -- '--record FILE.wav' || fail "--help"
echo "installed $(find "$stage" -type f | wc -l) files"
