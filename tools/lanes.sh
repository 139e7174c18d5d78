# tools/lanes.sh - sourced by the test scripts: virtual displays for running
# tests side by side.
#
# start_test_lanes N starts N Xvfb servers and writes a ctest resource file
# naming them (LANES_RESOURCES); tests that ask for a "display" resource get one of
# them to themselves (tests/common/lane_display.cpp points DISPLAY at it).
# The servers stop when the script exits.

LANES_PIDS=()
LANES_DIR=""

stop_test_lanes() {
  if [ ${#LANES_PIDS[@]} -gt 0 ]; then kill "${LANES_PIDS[@]}" 2>/dev/null || true; fi
  if [ -n "$LANES_DIR" ]; then rm -rf "$LANES_DIR"; fi
}

start_test_lanes() {
  local count=$1 i ids=""
  LANES_DIR=$(mktemp -d /tmp/lantern-lanes-XXXXXX)
  trap stop_test_lanes EXIT
  for ((i = 0; i < count; i++)); do
    # -displayfd: the server picks a free display number and writes it once it accepts clients.
    # -noreset: without it the server resets whenever its last client leaves
    # (an xdotool call, a finished game) and refuses connections meanwhile, so
    # a game started right then fails with "X11: Failed to open display".
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$LANES_DIR/display$i" >/dev/null 2>&1 &
    LANES_PIDS+=($!)
  done
  for ((i = 0; i < count; i++)); do
    local waited=0
    until [ -s "$LANES_DIR/display$i" ]; do
      if ((waited++ > 100)); then
        echo "lanes: virtual display $i did not start" >&2
        return 1
      fi
      sleep 0.1
    done
    local id
    id=$(tr -d '[:space:]' <"$LANES_DIR/display$i")
    ids+="${ids:+,}{\"id\": \"$id\", \"slots\": 1}"
  done
  LANES_RESOURCES="$LANES_DIR/resources.json"
  printf '{"version": {"major": 1, "minor": 0}, "local": [{"display": [%s]}]}\n' "$ids" >"$LANES_RESOURCES"
  # Anything run outside ctest's lanes (and tests without a lane) uses the first.
  export DISPLAY=":$(tr -d '[:space:]' <"$LANES_DIR/display0")"
}
