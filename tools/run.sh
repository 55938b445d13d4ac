#!/usr/bin/env bash
# Installs what is missing, builds ORMA and starts it with a simulated pyrometer attached and
# chosen as the source. The demo keeps its own settings under build/, so a real setup's
# remembered port is left alone.
#   bash tools/run.sh                 memory download of 200 records
#   bash tools/run.sh --continuous    data-collection mode, a reading every 250 ms
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset default
cmake --build --preset default --target orma orma-instrument

workdir=build/demo
mkdir -p "$workdir/config/KALMIRON"
instrument_args=(--memory 200 --repeat)
if [ "${1:-}" = "--continuous" ]; then
  instrument_args=(--continuous)
fi

build/default/tools/orma-instrument "${instrument_args[@]}" > "$workdir/instrument.out" &
instrument=$!
trap 'kill "$instrument" 2>/dev/null || true' EXIT

port=""
for _ in $(seq 50); do
  port=$(head -n 1 "$workdir/instrument.out" 2>/dev/null || true)
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "The simulated instrument did not start." >&2
  exit 1
fi
printf '[General]\nPort=%s\n' "$port" > "$workdir/config/KALMIRON/orma.conf"
echo "Simulated instrument on $port"

launch=()
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting ORMA on a virtual one (xvfb-run)."
  launch=(xvfb-run -a)
fi
XDG_CONFIG_HOME="$PWD/$workdir/config" "${launch[@]}" build/default/app/orma
