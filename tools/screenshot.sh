#!/usr/bin/env bash
# Makes docs/screenshot-deck.png: starts Quillmix under a virtual X display, playing into
# its built-in recorder with a generated tone on the command line (so deck A holds a
# track), waits until the panels are drawn and grabs the screen.
#
# Needs: a built build/quillmix, xvfb-run, sox, ImageMagick's import (tools/setup.sh).
# Usage: tools/screenshot.sh [seconds to wait before the grab, 8 unless given]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
wait_seconds="${1:-8}"
program="$root/build/quillmix"
out="$root/docs/screenshot-deck.png"
[ -x "$program" ] || { echo "screenshot: build the program first (make build)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
track="$work/Demo Tone.wav"
# 40 s of a chord that swells and fades, so the platter has something to show.
sox -n -r 44100 -c 2 -b 16 "$track" synth 40 sine 220 sine 277 sine 330 tremolo 0.5 80 gain -6

cat >"$work/grab.sh" <<GRAB
#!/usr/bin/env bash
set -u
QUILLMIX_AUDIO_DEVICE=recorder XDG_CONFIG_HOME="$work/config" "$program" "$track" &
pid=\$!
sleep "$wait_seconds"
import -window root "$work/screen.png"
kill -TERM "\$pid"
wait "\$pid" || true
GRAB
chmod +x "$work/grab.sh"
xvfb-run -a -s "-screen 0 1600x900x24" "$work/grab.sh"

mkdir -p "$root/docs"
# The top of the screen: the mixer with both decks either side of it.
convert "$work/screen.png" -crop 1600x420+0+0 +repage "$out"
echo "screenshot: wrote $out"
