#!/bin/sh
# audit_render.sh RENDER_PROGRAM INTERPOSER
# Renders a script that uses every feature (each effect, the equaliser, tempo, seek, reverse,
# fast forward and rewind, analysis, a gapless change to a queued track) with the audit
# interposer preloaded, and fails when the audio thread allocated, freed, locked or blocked.
set -u
render=$1
interposer=$2
dir=$(mktemp -d /tmp/quillmix-audit-XXXXXX)
trap 'rm -rf "$dir"' EXIT

tone() {  # FILE SECONDS HZ ENCODER-ARGUMENTS...
    file=$1 seconds=$2 hz=$3
    shift 3
    ffmpeg -nostdin -loglevel error -y -f lavfi -i "sine=frequency=$hz:sample_rate=44100:duration=$seconds" \
        -ac 2 "$@" "$dir/$file" || exit 2
}
tone first.ogg 12 440 -c:a libvorbis
tone second.mp3 40 550 -c:a libmp3lame -b:a 128k
tone other.flac 45 660 -c:a flac

cat > "$dir/all.txt" <<SCRIPT
0 queue A $dir/first.ogg
0 queue A $dir/second.mp3
0 next A
0 load B $dir/other.flac
0 level A 1
0 level B 1
0 curve 0
0 play A
0 play B
0 analysis octave
1 tempo A 8
2 eq A bands 5
2 eq A on
2 eq A gain 3 1.15
2 eq B bands 3
2 eq B on
2 eq B gain 1 0.9
3 effect A Chorus
5 effect A Compressor
7 effect A Distortion
9 effect A Echo 50 250
11 effect A Flanger
13 effect A Gargle
15 effect A Reverb
17 effect A off
17 effect B Echo
18 analysis scope
20 seek B 0.5
22 reverse B on
24 reverse B off
26 ffwd B on
28 ffwd B off
29 rwnd B on
30 rwnd B off
31 tempo B -10
32 seek A 0.3
34 fader main 0.5
35 eq A bands 2
36 pause B
38 play B
40 seek A 0.9
44 analysis off
55 end
SCRIPT

output=$(LD_PRELOAD=$interposer "$render" --main "$dir/main.wav" "$dir/all.txt" 2>&1)
status=$?
echo "$output"
[ $status -eq 0 ] || { echo "the render failed ($status)"; exit 1; }
echo "$output" | grep -q '^audio_thread_audit: allocations=0 frees=0 locks=0 blocking=0$' || exit 1
