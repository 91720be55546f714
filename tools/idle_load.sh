#!/usr/bin/env bash
# Measures what Quillmix costs while idle: CPU (% of one core) and wake-ups per second
# (voluntary plus involuntary context switches of all its threads), over a window of
# SECONDS (10 unless given), with the program on a JACK dummy server at 256 frames per
# period and the given tracks loaded from the command line (deck A, paused).
#
#   tools/idle_load.sh [--seconds N] [--settle N] [--program build/quillmix] TRACK...
#
# Starts jackd (dummy driver, no real-time) unless a JACK server is already up, runs the
# program with the off-screen platform and a fresh settings folder, waits for it to settle,
# then reads /proc/<pid>/stat (utime + stime) and /proc/<pid>/task/*/status before and after
# the window. Prints the totals, the JACK period rate for comparison, and each thread's
# wake-ups. Stops only the processes it started.
set -euo pipefail

seconds=10
settle=10
program="$(dirname "$0")/../build/quillmix"
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --settle) settle="$2"; shift 2 ;;
    --program) program="$2"; shift 2 ;;
    *) break ;;
  esac
done
rate=44100
period=256

started_jack=""
config="$(mktemp -d)"
cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$started_jack" ] && kill "$started_jack" 2>/dev/null || true
  rm -rf "$config"
}
trap cleanup EXIT

if ! jack_lsp >/dev/null 2>&1; then
  jackd -r -d dummy -r "$rate" -p "$period" >/dev/null 2>&1 &
  started_jack=$!
  for _ in $(seq 50); do jack_lsp >/dev/null 2>&1 && break; sleep 0.1; done
fi

XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$config" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" \
  "$program" "$@" >/dev/null 2>&1 &
app_pid=$!
sleep "$settle"  # start-up and loading are not idle

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$app_pid/stat"; }
# One line per thread: tid, where it sleeps (wchan), switches, CPU ticks
switches() {
  for task in /proc/"$app_pid"/task/*; do
    local v n t
    v=$(awk '/^voluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null || echo 0)
    n=$(awk '/^nonvoluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null || echo 0)
    t=$(sed 's/.*) //' "$task/stat" 2>/dev/null | awk '{print $12 + $13}' || echo 0)
    echo "$(basename "$task") $(tr ' ' '_' < "$task/wchan" 2>/dev/null) $((v + n)) $t"
  done
}

before_cpu=$(cpu_ticks)
before=$(switches)
sleep "$seconds"
after_cpu=$(cpu_ticks)
after=$(switches)

echo "window_seconds=$seconds jack_period_frames=$period jack_rate=$rate"
awk -v b="$before_cpu" -v a="$after_cpu" -v t="$ticks" -v s="$seconds" \
  'BEGIN { printf "cpu_percent_of_core=%.2f\n", 100 * (a - b) / t / s }'
awk -v r="$rate" -v p="$period" 'BEGIN { printf "callback_rate_per_second=%.1f\n", r / p }'
join -a 2 -e 0 -o 2.1,2.2,1.3,2.3,1.4,2.4 <(echo "$before" | sort) <(echo "$after" | sort) |
  awk -v s="$seconds" -v t="$ticks" '{ d = $4 - $3; total += d
      printf "thread %s %s wakeups_per_second=%.1f cpu_percent=%.2f\n", $1, $2, d / s, 100 * ($6 - $5) / t / s }
    END { printf "wakeups_per_second=%.1f\n", total / s }'
