#!/usr/bin/env bash
# Installs what is missing, builds ORMA and starts it with a simulated pyrometer attached and
# chosen as the source. The demo keeps its own settings under build/, so a real setup's
# remembered port is left alone.
#   bash tools/run.sh                    memory download of 200 records
#   bash tools/run.sh --continuous       data-collection mode, a reading every 250 ms
#   bash tools/run.sh --port /dev/ttyUSB0  a real instrument on that port, with the user's
#                                        own settings
set -euo pipefail
cd "$(dirname "$0")/.."

port=""
instrument_args=(--memory 200 --repeat)
case "${1:-}" in
  --continuous) instrument_args=(--continuous) ;;
  --port)
    port="${2:-}"
    if [ ! -e "$port" ]; then
      echo "No such port: '$port'. Plug the instrument in, or name its device (ls /dev/ttyUSB*)." >&2
      exit 1
    fi
    ;;
  "") ;;
  *)
    echo "Usage: bash tools/run.sh [--continuous | --port DEVICE]" >&2
    exit 2
    ;;
esac

bash tools/setup.sh
cmake --preset default
cmake --build --preset default --target orma orma-instrument

launch=()
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting ORMA on a virtual one (xvfb-run)."
  launch=(xvfb-run -a)
fi

if [ -n "$port" ]; then
  # The user's own settings: the port chosen here stays remembered for later starts.
  config="${XDG_CONFIG_HOME:-$HOME/.config}/KALMIRON"
  mkdir -p "$config"
  if [ -f "$config/orma.conf" ] && grep -q '^Port=' "$config/orma.conf"; then
    sed -i "s|^Port=.*|Port=$port|" "$config/orma.conf"
  else
    printf '[General]\nPort=%s\n' "$port" >> "$config/orma.conf"
  fi
  exec "${launch[@]}" build/default/app/orma
fi

workdir=build/demo
mkdir -p "$workdir/config/KALMIRON"
build/default/tools/orma-instrument "${instrument_args[@]}" > "$workdir/instrument.out" &
instrument=$!
trap 'kill "$instrument" 2>/dev/null || true' EXIT

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
XDG_CONFIG_HOME="$PWD/$workdir/config" "${launch[@]}" build/default/app/orma
