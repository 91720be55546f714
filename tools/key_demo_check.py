#!/usr/bin/env python3
"""Reads the recording of tools/key_demo.sh and prints what the keys did to the main output.

Usage: key_demo_check.py RECORDING.wav [TIMES]
RECORDING: 16-bit PCM, main output in channels 1-2 (the recorder's file: main, then monitor).
TIMES: lines "KEY MILLISECONDS" of when each key was sent, counted from the program's start.
Prints the RMS of the main output (left channel, full scale 1.0) for every second, each
second marked with the keys sent in it, then checks the story: silent before W, playing
after it, silent while the fader is on deck B's side (M) and back after V, falling while G
is held, rising while T is held, silent after the last W. Exits 1 when the story is not there.
"""
import array
import math
import sys
import wave


def rms_blocks(path, per_second):
    """The RMS of the main output's left channel in blocks of 1/per_second s."""
    with wave.open(path, "rb") as f:
        if f.getsampwidth() != 2:
            sys.exit(f"{path}: expected 16-bit samples, found {8 * f.getsampwidth()}-bit")
        channels, rate = f.getnchannels(), f.getframerate()
        out = []
        while True:
            data = f.readframes(rate // per_second)
            if not data:
                return out
            left = array.array("h", data)[0::channels]
            out.append(math.sqrt(sum(s * s for s in left) / len(left)) / 32768.0)


def read_times(path):
    marks = []
    with open(path) as f:
        for line in f:
            key, ms = line.split()
            marks.append((key, int(ms) / 1000.0))
    return marks


def main():
    levels = rms_blocks(sys.argv[1], 1)
    marks = read_times(sys.argv[2]) if len(sys.argv) > 2 else []
    # The recording starts once the program has opened its output, some time after the
    # program itself: the first W's time is put where the sound begins (to 0.1 s).
    tenths = rms_blocks(sys.argv[1], 10)
    onset = next((i / 10 for i, r in enumerate(tenths) if r > 0.001), None)
    if marks and onset is not None:
        shift = marks[0][1] - onset
        marks = [(k, t - shift) for k, t in marks]
        print(f"keys placed on the recording's time: the first W at {onset:.1f} s")
    print("second  main RMS   keys")
    for second, level in enumerate(levels):
        keys = " ".join(k for k, t in marks if second <= t < second + 1)
        print(f"{second:6d}  {level:8.4f}   {keys}")
    if len(marks) < 6:
        return 0
    at = {}
    for k, t in marks:
        at.setdefault(k, []).append(t)

    def level(t):  # the RMS of the whole second that starts at t (rounded up)
        s = math.ceil(t)
        return levels[s] if 0 <= s < len(levels) else 0.0

    w1, w2 = at["W"]
    m, v, g, t = at["M"][0], at["V"][0], at["G"][0], at["T"][0]
    checks = [
        ("silent before W", level(w1 - 2) < 0.001),
        ("deck A plays after W", level(w1 + 1) > 0.01),
        ("silent with the fader on B's side (M)", level(m + 0.5) < 0.2 * level(w1 + 1)),
        ("back after V", level(v + 0.5) > 0.8 * level(w1 + 1)),
        ("G held: level falls", level(g + 2.5) < 0.8 * level(g - 1)),
        ("T held: level rises", level(t + 1.5) > 1.1 * level(t - 0.5)),
        ("silent after the last W", level(w2 + 1) < 0.001),
    ]
    failed = 0
    for name, ok in checks:
        print(f"{'ok  ' if ok else 'FAIL'} {name}")
        failed += not ok
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
