#!/usr/bin/env python3
"""Makes the long render's material: 40 tracks in six formats and a seeded script.

Usage: make_soak.py WORKDIR MINUTES SEED

Track k is a sine of its own frequency (200 Hz * 1.06^k, so tracks stay apart under any
tempo the script sets), a whole number of periods long so it starts and ends at phase 0,
in format (k // 2) % 6, so each deck's half of the list holds all six formats. Even
tracks belong to deck A (heard alone on the main output), odd ones to deck B (heard alone
on the monitor output). Each deck's 20 tracks are queued in the same order, round after
round, so the entry after any track is always the next track of that deck's order.

Writes WORKDIR/tracks/tNN.EXT, WORKDIR/tracks.tsv (index, deck, frequency, path) and
WORKDIR/script.txt. Needs the ffmpeg tool.
"""
import os
import random
import subprocess
import sys

FORMATS = [("wav", ["-c:a", "pcm_s16le"]), ("flac", ["-c:a", "flac"]),
           ("mp3", ["-c:a", "libmp3lame", "-b:a", "192k"]), ("ogg", ["-c:a", "libvorbis", "-q:a", "5"]),
           ("opus", ["-c:a", "libopus", "-b:a", "128k"]), ("m4a", ["-c:a", "aac", "-b:a", "192k"])]
TRACKS = 40
RATE = 44100
EFFECTS = ["Chorus", "Compressor", "Distortion", "Echo", "Flanger", "Gargle", "Reverb"]


def make_tracks(work, rng):
    os.makedirs(os.path.join(work, "tracks"), exist_ok=True)
    rows = []
    for k in range(TRACKS):
        hz = 200.0 * 1.06 ** k
        # 3 to 24 s; every fourth track shorter than the 11 s read-ahead.
        seconds = rng.uniform(3.0, 9.0) if k % 4 == 1 else rng.uniform(11.5, 24.0)
        periods = round(seconds * hz)
        seconds = periods / hz
        ext, codec = FORMATS[(k // 2) % len(FORMATS)]
        path = os.path.join(work, "tracks", "t%02d.%s" % (k, ext))
        source = "aevalsrc=0.5*sin(2*PI*%.6f*t)|0.5*sin(2*PI*%.6f*t):s=%d:d=%.6f" % (hz, hz, RATE, seconds)
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", source] + codec + [path], check=True)
        rows.append((k, k % 2, hz, path))
    with open(os.path.join(work, "tracks.tsv"), "w") as out:
        for k, deck, hz, path in rows:
            out.write("%d\t%s\t%.6f\t%s\n" % (k, "AB"[deck], hz, path))
    return rows


def queue_round(lines, time, rows, deck):
    for k, d, _, path in rows:
        if d == deck:
            lines.append('%.3f queue %s "%s"' % (time, "AB"[deck], path))


def random_action(rng, t, deck):
    """One seeded action on `deck` at time t; returns (lines, time the action ends)."""
    kind = rng.choices(["seek", "next", "prev", "ffwd", "rwnd", "tempo", "eq", "effect"],
                       [3, 2, 1, 1, 1, 3, 3, 2])[0]
    d = "AB"[deck]
    if kind == "seek":
        return ["%.3f seek %s %.3f" % (t, d, rng.uniform(0.05, 0.97))], t
    if kind in ("next", "prev"):
        return ["%.3f %s %s" % (t, kind, d)], t
    if kind in ("ffwd", "rwnd"):
        held = rng.uniform(0.3, 1.5)
        return ["%.3f %s %s on" % (t, kind, d), "%.3f %s %s off" % (t + held, kind, d)], t + held
    if kind == "tempo":
        return ["%.3f tempo %s %.2f" % (t, d, rng.choice([0, 0, rng.uniform(-8, 8)]))], t
    if kind == "eq":
        choice = rng.random()
        if choice < 0.2:
            return ["%.3f eq %s bands %d" % (t, d, rng.choice([2, 3, 5]))], t
        if choice < 0.4:
            return ["%.3f eq %s %s" % (t, d, rng.choice(["on", "off"]))], t
        return ["%.3f eq %s gain %d %.3f" % (t, d, rng.randint(1, 2), rng.uniform(0.85, 1.15))], t
    held = rng.uniform(1.0, 6.0)  # an effect is on for a few seconds, then off
    return ["%.3f effect %s %s" % (t, d, rng.choice(EFFECTS)), "%.3f effect %s off" % (t + held, d)], t + held


def make_script(work, minutes, rng, rows):
    end = minutes * 60.0
    lines = ["# long render: seed %d" % SEED, "0 curve 1", "0 fader main -1", "0 fader monitor 1",
             "0 level A 1", "0 level B 1"]
    for deck in (0, 1):
        for _ in range(3):
            queue_round(lines, 0, rows, deck)
    lines += ["0 next A", "0 next B", "0 play A", "0 play B"]
    timed = []
    # A fresh round for each deck every two minutes keeps both lists from running out.
    t = 120.0
    while t < end:
        for deck in (0, 1):
            block = []
            queue_round(block, t, rows, deck)
            timed += [(t, i, line) for i, line in enumerate(block)]
        t += 120.0
    # Random actions every 2 to 8 s, each on one deck; a held key or an effect ends
    # before the next action begins.
    t = 5.0
    while t < end - 10:
        action, until = random_action(rng, t, rng.randint(0, 1))
        timed += [(float(line.split()[0]), 0, line) for line in action]
        t = until + rng.uniform(2.0, 8.0)
    timed.sort(key=lambda x: (x[0], x[1]))
    lines += [line for _, _, line in timed]
    lines.append("%.3f end" % end)
    with open(os.path.join(work, "script.txt"), "w") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    WORK, MINUTES, SEED = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])
    generator = random.Random(SEED)
    tracks = make_tracks(WORK, generator)
    make_script(WORK, MINUTES, generator, tracks)
