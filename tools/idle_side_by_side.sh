#!/usr/bin/env bash
# Idle cost of Quillmix and of the bare PortAudio baseline client on ONE JACK dummy server
# (256 frames) over the same windows, so that the machine's load falls on both alike.
# JACK runs its clients one after the other each period and the first one pays more, so
# the pair runs twice: Quillmix first, then the baseline first. Prints, per window, each
# audio thread's wake-ups per second and CPU (% of one core, from schedstat).
#
#   tools/idle_side_by_side.sh [--windows N] [--seconds N] TRACK_A TRACK_B
set -euo pipefail

windows=3
seconds=10
while [ $# -gt 2 ]; do
  case "$1" in
    --windows) windows="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    *) break ;;
  esac
done
build="$(dirname "$0")/../build"
export JACK_DEFAULT_SERVER="quillmix_pair"  # fixed: JACK reuses a stale slot only by its name
config="$(mktemp -d)"
pids=()
cleanup() {
  # Clients first, then the server (the first pid), so that it leaves its slot cleanly.
  for p in "${pids[@]:1}"; do kill "$p" 2>/dev/null || true; done
  sleep 1
  kill "${pids[0]}" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -f /dev/shm/jack_sem.*_"$JACK_DEFAULT_SERVER"_*
  rm -rf "$config"
}
trap cleanup EXIT

jackd -n "$JACK_DEFAULT_SERVER" -r -d dummy -r 44100 -p 256 >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do jack_lsp >/dev/null 2>&1 && break; sleep 0.1; done

start_quillmix() {
  XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$config" QT_QPA_PLATFORM=offscreen \
    "$build/quillmix" "$1" --deck-b "$2" >/dev/null 2>&1 &
  quillmix_pid=$!
  pids+=("$quillmix_pid")
  sleep 30  # start-up, loading and the first analysis are not idle
}
start_baseline() {
  "$build/quillmix-idle-baseline" portaudio fifo >/dev/null 2>&1 &
  baseline_pid=$!
  pids+=("$baseline_pid")
  sleep 3
}
# The thread that runs the callback: the one with the most context switches.
audio_task() {
  for t in /proc/"$1"/task/*; do
    echo "$(awk '/ctxt_switches/ { s += $2 } END { print s }' "$t/status") $t"
  done | sort -n | tail -1 | cut -d' ' -f2
}
sample() { echo "$(awk '/ctxt_switches/ { s += $2 } END { print s }' "$1/status") $(cut -d' ' -f1 "$1/schedstat")"; }

measure() {
  local q b
  q=$(audio_task "$quillmix_pid")
  b=$(audio_task "$baseline_pid")
  for _ in $(seq "$windows"); do
    local q0 b0 q1 b1
    q0=$(sample "$q"); b0=$(sample "$b")
    sleep "$seconds"
    q1=$(sample "$q"); b1=$(sample "$b")
    printf '%s %s %s %s %s\n' "$1" "$q0" "$q1" "$b0" "$b1" | awk -v s="$seconds" -v l="$(cut -d' ' -f1 /proc/loadavg)" \
      '{ printf "%s load=%s quillmix wakeups_per_second=%.1f cpu_percent=%.3f  baseline wakeups_per_second=%.1f cpu_percent=%.3f\n",
           $1, l, ($4 - $2) / s, 100 * ($5 - $3) / 1e9 / s, ($8 - $6) / s, 100 * ($9 - $7) / 1e9 / s }'
  done
}

start_quillmix "$1" "$2"; start_baseline
measure quillmix_first
kill "$quillmix_pid" "$baseline_pid"; wait "$quillmix_pid" "$baseline_pid" 2>/dev/null || true
start_baseline; start_quillmix "$1" "$2"
measure baseline_first
