#!/usr/bin/env bash
# Measures what Quillmix costs while idle: CPU (% of one core) and wake-ups per second
# (voluntary plus involuntary context switches of all its threads), over a window of
# SECONDS (10 unless given), with the program on a JACK dummy server at 256 frames per
# period and the given arguments (tracks for deck A, --deck-b TRACK for deck B; loaded,
# paused). --program measures another client the same way (build/quillmix-idle-baseline).
#
#   tools/idle_load.sh [--seconds N] [--settle N] [--program PATH] ARGUMENT...
#
# Starts jackd (dummy driver, no real-time) under a server name of its own
# (JACK_DEFAULT_SERVER, "quillmix_idle" unless set, so that other JACK users on the machine
# neither share nor disturb it) unless that server is up already, runs the program with the
# off-screen platform and a fresh settings folder, waits for it to settle, then reads each
# thread's schedstat (CPU nanoseconds) and status (context switches) before and after the
# window. Prints the totals, the server's CPU, the
# JACK period rate for comparison, and each thread's figures. Stops only what it started.
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

# One fixed name: JACK has few server slots, and a stale slot is reused only by its own name.
export JACK_DEFAULT_SERVER="${JACK_DEFAULT_SERVER:-quillmix_idle}"
started_jack=""
config="$(mktemp -d)"
cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
  if [ -n "$started_jack" ]; then
    kill "$started_jack" 2>/dev/null && wait "$started_jack" 2>/dev/null || true
    rm -f /dev/shm/jack_sem.*_"$JACK_DEFAULT_SERVER"_*  # what the server's clients left
  fi
  rm -rf "$config"
}
trap cleanup EXIT

if ! jack_lsp >/dev/null 2>&1; then
  jackd -n "$JACK_DEFAULT_SERVER" -r -d dummy -r "$rate" -p "$period" >/dev/null 2>&1 &
  started_jack=$!
  for _ in $(seq 50); do jack_lsp >/dev/null 2>&1 && break; sleep 0.1; done
fi

XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$config" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" \
  "$program" "$@" >/dev/null 2>"$config/stderr" &
app_pid=$!
sleep "$settle"  # start-up and loading are not idle
if ! kill -0 "$app_pid" 2>/dev/null; then
  echo "the program ended before the window; its last messages:" >&2
  grep -v '^ALSA lib' "$config/stderr" | tail -5 >&2
  exit 1
fi

# CPU time in nanoseconds (the scheduler's own account, /proc/.../schedstat: exact, not the
# 10 ms ticks of /proc/.../stat) summed over a process's live threads.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ t += $1 } END { printf "%d\n", t }'; }
# One line per thread: tid, name/where it sleeps (comm/wchan), switches, involuntary
# switches, CPU nanoseconds.
switches() {
  for task in /proc/"$app_pid"/task/*; do
    local v n t
    v=$(awk '/^voluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null || echo 0)
    n=$(awk '/^nonvoluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null || echo 0)
    t=$(awk '{print $1}' "$task/schedstat" 2>/dev/null || echo 0)
    echo "$(basename "$task") $({ tr ' ' '_' < "$task/comm"; } 2>/dev/null)/$({ tr ' ' '_' < "$task/wchan"; } 2>/dev/null) $((v + n)) $n $t"
  done
}

before_cpu=$(cpu_ns "$app_pid")
[ -n "$started_jack" ] && before_server=$(cpu_ns "$started_jack")
before=$(switches)
sleep "$seconds"
after_cpu=$(cpu_ns "$app_pid")
[ -n "$started_jack" ] && after_server=$(cpu_ns "$started_jack")
after=$(switches)

percent() { awk -v b="$1" -v a="$2" -v s="$seconds" 'BEGIN { printf "%.3f", 100 * (a - b) / 1e9 / s }'; }
echo "window_seconds=$seconds jack_period_frames=$period jack_rate=$rate load=$(cut -d' ' -f1-3 /proc/loadavg | tr ' ' ,)"
echo "cpu_percent_of_core=$(percent "$before_cpu" "$after_cpu")"
[ -n "$started_jack" ] && echo "server_cpu_percent_of_core=$(percent "$before_server" "$after_server")"
awk -v r="$rate" -v p="$period" 'BEGIN { printf "callback_rate_per_second=%.1f\n", r / p }'
join -a 2 -e 0 -o 2.1,2.2,1.3,2.3,1.4,2.4,1.5,2.5 <(echo "$before" | sort) <(echo "$after" | sort) |
  awk -v s="$seconds" '{ d = $4 - $3; total += d
      printf "thread %s %s wakeups_per_second=%.1f involuntary_per_second=%.1f cpu_percent=%.3f\n",
        $1, $2, d / s, ($6 - $5) / s, 100 * ($8 - $7) / 1e9 / s }
    END { printf "wakeups_per_second=%.1f\n", total / s }'
