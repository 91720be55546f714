#!/bin/sh
# The long render: 40 tracks in six formats on both decks, seeded random actions every few
# seconds, rendered through the real engine by quillmix-render while its memory is sampled,
# then checked by quillmix-soak-check (every undisturbed hand-over gapless, no successor
# skipped, each track heard for its length). Not part of the test run.
#
#   tools/soak.sh [MINUTES [SEED [WORKDIR]]]      (30 minutes, seed 1, /tmp/quillmix-soak)
#
# Run from the source folder after configuring build/; exits non-zero on any fault.
set -eu
minutes=${1:-30}
seed=${2:-1}
work=${3:-/tmp/quillmix-soak}
build=${QUILLMIX_BUILD:-build}

nice cmake --build "$build" -j2 --target quillmix-render quillmix-soak-check >/dev/null
rm -rf "$work"
mkdir -p "$work/config"
echo "making 40 tracks and a $minutes-minute script (seed $seed) in $work"
python3 tools/soak/make_soak.py "$work" "$minutes" "$seed"

echo "rendering"
start=$(date +%s)
XDG_CONFIG_HOME="$work/config" "$build/quillmix-render" --main "$work/main.wav" --monitor "$work/monitor.wav" \
    "$work/script.txt" >"$work/render.out" 2>"$work/render.err" &
pid=$!
# Resident memory of the render process every two seconds: wall seconds, kB.
: >"$work/rss.tsv"
while kill -0 "$pid" 2>/dev/null; do
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$rss" ] && echo "$(( $(date +%s) - start ))	$rss" >>"$work/rss.tsv"
    sleep 2
done
wait "$pid"
cat "$work/render.out"
echo "render_wall_seconds=$(( $(date +%s) - start ))"
if [ -s "$work/render.err" ]; then echo "the render reported:"; sed 's/^/  /' "$work/render.err"; fi
# Start (first sample from 4 s on, the program loaded), end (last), peak, and the lowest and highest of the second half.
awk '{ t[NR] = $1; v[NR] = $2 } END {
    first = 1; while (first < NR && t[first] < 4) first++
    peak = 0; for (i = 1; i <= NR; i++) if (v[i] > peak) peak = v[i]
    lo = v[NR]; hi = 0; for (i = int(NR / 2) + 1; i <= NR; i++) { if (v[i] < lo) lo = v[i]; if (v[i] > hi) hi = v[i] }
    printf "rss_samples=%d\nrss_start_kb=%d\nrss_end_kb=%d\nrss_peak_kb=%d\nrss_second_half_kb=%d..%d\n", NR, v[first], v[NR], peak, lo, hi
}' "$work/rss.tsv"

echo "checking"
"$build/quillmix-soak-check" "$work" >"$work/check.txt" && status=0 || status=$?
grep -v '^track \|^hand-over ' "$work/check.txt"
echo "details: $work/check.txt (one line per hand-over), $work/rss.tsv, $work/script.txt"
exit "$status"
