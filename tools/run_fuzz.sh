#!/usr/bin/env bash
# Builds the play list reader fuzz targets with clang (libFuzzer + AddressSanitizer +
# UndefinedBehaviorSanitizer) in build-fuzz and runs each for the given number of seconds.
#   tools/run_fuzz.sh [seconds-per-target]     (default 60)
# Prints each target's execution count; exits non-zero when a target finds a fault (its
# crashing input is left in build-fuzz/findings/).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz
jobs=${JOBS:-2}

if ! command -v clang++ >/dev/null; then
  echo "run_fuzz: clang++ is not installed; nothing to do" >&2
  exit 0
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Debug \
  -DQUILLMIX_TESTS_ONLY=ON -DQUILLMIX_FUZZ=ON >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_targets

# A few seeds written here, so that the fuzzers start from the shape of real lists.
seed() { mkdir -p "$build/corpus/$1"; printf '%b' "$3" >"$build/corpus/$1/$2"; }
seed m3u plain '#EXTM3U\n#EXTINF:215,My Song\nx.mp3\n#EXTINF:-1,\n/abs/y.mp3\n'
seed m3u odd '\xef\xbb\xbf#EXTINF:abc,Song\r\nfile:///a%20b.mp3\r#comment\n\nlast.mp3'
seed pls plain '[playlist]\nFile1=a.mp3\nTitle1=A\nLength1=61\nNumberOfEntries=1\nVersion=2\n'
seed pls odd '[Playlist]\r\nFile2=http://h/s\r\nFile1=../b.mp3\r\nLength2=x\r\nTitle1=\xe9\r\n'

mkdir -p "$build/findings"
status=0
for format in m3u pls; do
  log="$build/fuzz_${format}.log"
  if ! "$build/tests/fuzz/fuzz_${format}_reader" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$build/findings/${format}-" "$build/corpus/$format" >"$log" 2>&1; then
    echo "fuzz_${format}_reader: FAULT FOUND (see $log)"
    tail -n 30 "$log"
    status=1
  fi
  runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  echo "fuzz_${format}_reader: ${runs:-?} executions in ${seconds} s"
done
exit $status
