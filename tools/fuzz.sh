#!/usr/bin/env bash
# Runs every fuzz target of a checked build for a while.
#
#   tools/fuzz.sh [-j JOBS] BUILD_DIR [SECONDS_PER_TARGET] [TARGET...]
#
# BUILD_DIR is a build configured with -DLANTERN_FUZZ=ON and already built
# (this script builds nothing). Each target runs SECONDS_PER_TARGET seconds
# (default 30), JOBS at a time (default 2), on its working corpus in
# BUILD_DIR/fuzz/corpus/<target> (kept between runs), the seed corpus and the
# kept regression inputs in tests/fuzz/<target>. New inputs go only into the
# working corpus. A crash, sanitizer report, leak, timeout or memory blow-up
# leaves its input in BUILD_DIR/fuzz/crashes/<target>/ and the log in
# BUILD_DIR/fuzz/logs/<target>.log; the script then exits 1.
set -euo pipefail

jobs=2
while getopts "j:" option; do
  case $option in
    j) jobs=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
if [ $# -lt 1 ]; then
  sed -n '2,14p' "$0" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
seconds=${2:-30}
shift $(( $# >= 2 ? 2 : 1 ))
source_dir=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(state replay string wav ogg png)
  # The world board's, where the board was built.
  [ -x "$build/tools/fuzz/fuzz_submission" ] && targets+=(submission)
fi

for t in "${targets[@]}"; do
  if [ ! -x "$build/tools/fuzz/fuzz_$t" ]; then
    echo "fuzz.sh: $build/tools/fuzz/fuzz_$t is missing: configure with -DLANTERN_FUZZ=ON and build" >&2
    exit 2
  fi
done

export ALSOFT_DRIVERS=null
# Leaks count as failures; symbolized stacks in the logs.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

run_target() {
  local t=$1
  local corpus=$build/fuzz/corpus/$t crashes=$build/fuzz/crashes/$t log=$build/fuzz/logs/$t.log
  mkdir -p "$corpus" "$crashes" "$build/fuzz/logs"
  local dirs=("$corpus" "$build/fuzz/seeds/$t")
  if [ -d "$source_dir/tests/fuzz/$t" ]; then dirs+=("$source_dir/tests/fuzz/$t"); fi
  # The working folder is the build folder, where the game finds data/.
  if (cd "$build" && "$build/tools/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2560 \
        -print_final_stats=1 -artifact_prefix="$crashes/" "${dirs[@]}") >"$log" 2>&1; then
    echo "fuzz $t: ok, $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs," \
         "corpus $(ls "$corpus" | wc -l) files"
  else
    echo "fuzz $t: FAILED, see $log and $crashes/"
    grep -m3 -E 'ERROR|SUMMARY|fuzz check failed' "$log" | sed 's/^/  /'
    return 1
  fi
}
export -f run_target
export build seconds source_dir

status=0
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_target {}' || status=1
exit $status
