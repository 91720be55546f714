#!/usr/bin/env bash
# Plays the mixer from the keyboard under a virtual X display, with no sound card: starts
# Quillmix with two generated tracks on the command line (one per deck), recording into a WAV file, sends
# keys with xdotool as a user would type them, then prints the main output's loudness per
# second (tools/key_demo_check.py), where the key presses show:
#
#   W             deck A starts
#   M, later V    the main cross-fader is thrown to deck B's side (deck A silent), then back
#   G held 3 s    deck A's level falls 0.002 per 15 ms poll
#   T held 2 s    and rises again
#   W             deck A pauses
#
# Needs: a built build/quillmix, xvfb-run, xdotool, sox, python3 (tools/setup.sh).
# Usage: tools/key_demo.sh [OUT.wav]   (the recording is kept there; a temporary file if not given)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
program="$root/build/quillmix"
[ -x "$program" ] || { echo "key_demo: build the program first (make build)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
out="${1:-$work/keys.wav}"
# Two steady tones, 60 s each, one per deck through the play list: deck A's loudness is
# easy to read off the recording, and deck B's tone (paused) never sounds.
sox -n -r 44100 -c 2 -b 16 "$work/A 440.wav" synth 60 sine 440 gain -6
sox -n -r 44100 -c 2 -b 16 "$work/B 660.wav" synth 60 sine 660 gain -6
: >"$work/times"

cat >"$work/play.sh" <<PLAY
#!/usr/bin/env bash
set -u
XDG_CONFIG_HOME="$work/config" "$program" --record "$out" "$work/A 440.wav" --deck-b "$work/B 660.wav" &
pid=\$!
started=\$(date +%s%N)
mark() { echo "\$1 \$(( (\$(date +%s%N) - started) / 1000000 ))" >>"$work/times"; }
window=""
for _ in \$(seq 100); do
  window=\$(xdotool search --onlyvisible --name '^Quillmix\$' 2>/dev/null | head -1) && [ -n "\$window" ] && break
  sleep 0.1
done
[ -n "\$window" ] || { echo "key_demo: the mixer window never showed" >&2; kill -TERM \$pid; exit 1; }
sleep 3                       # the track buffers
xdotool windowfocus --sync "\$window"
mark W; xdotool key w;  sleep 3
mark M; xdotool key m;  sleep 2
mark V; xdotool key v;  sleep 2
mark G; xdotool keydown g; sleep 3; xdotool keyup g; sleep 1
mark T; xdotool keydown t; sleep 2; xdotool keyup t; sleep 1
mark W; xdotool key w;  sleep 2
kill -TERM \$pid
wait \$pid || true
PLAY
chmod +x "$work/play.sh"
xvfb-run -a -s "-screen 0 1600x900x24" "$work/play.sh"

echo "key_demo: keys sent at (ms after start):" $(tr '\n' ' ' <"$work/times")
python3 "$root/tools/key_demo_check.py" "$out" "$work/times"
