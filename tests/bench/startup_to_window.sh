#!/usr/bin/env bash
# Time from starting r730cfg with the four simulated devices to its window
# being mapped on an X display, and its resident memory once shown. Starts a
# private Xvfb when DISPLAY is not set. Usage: startup_to_window.sh [RUNS] [R730CFG]
set -euo pipefail
runs=${1:-3}
app=${2:-$(dirname "$0")/../../build/shell/r730cfg}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"; [[ -n "${xvfb:-}" ]] && kill "$xvfb" 2>/dev/null || true' EXIT
export XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
if [[ -z "${DISPLAY:-}" ]]; then
  Xvfb :97 -screen 0 1280x800x24 >/dev/null 2>&1 & xvfb=$!
  export DISPLAY=:97
  sleep 1
fi
for ((i = 1; i <= runs; i++)); do
  start=$(date +%s%N)
  "$app" --simulate >/dev/null 2>&1 & pid=$!
  until xdotool search --onlyvisible --name 'R730-VXT-1K Gaming Mouse' >/dev/null 2>&1; do sleep 0.01; done
  end=$(date +%s%N)
  sleep 1
  rss=$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$pid/status")
  echo "run $i: start to window mapped $(((end - start) / 1000000)) ms; resident memory 1 s later ${rss} MB"
  kill "$pid"; wait "$pid" 2>/dev/null || true
done
