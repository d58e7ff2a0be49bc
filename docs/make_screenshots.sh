#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the window's pictures in docs/ (window.png, advanced.png) as a user would see them:
# starts the simulated board and the Zentaro window under a virtual X server (xvfb-run), in
# a configuration home of its own, lets the window program a demo file and read the lock and
# fuse bits, and saves each window. Your settings and port links are not touched.
#   docs/make_screenshots.sh [BUILD_DIR]     (default build/debug; ./do screenshots runs it)
# The build folder must be configured with the tests, which build the picture taker.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/debug}"
command -v xvfb-run >/dev/null || { echo "make_screenshots: xvfb-run is missing (apt-get install xvfb xauth)" >&2; exit 1; }
cmake --build "$build" --target zentaro_sim window_screenshots

scratch="$(mktemp -d -t zentaro-screenshots.XXXXXX)"
trap '[ -z "${sim_pid:-}" ] || { kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true; }
      rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config"

# The board ./do run shows: level-type, block transfers, a "Mirval 10" chip.
"$build/sim/zentaro-sim" --port COM1 --chip "Mirval 10" --modes S --level 3 \
    --block-size 256 --auto-increment Y >"$scratch/sim-ready" &
sim_pid=$!
for _ in $(seq 100); do
    grep -q '^zentaro-sim: .* -> ' "$scratch/sim-ready" && break
    kill -0 "$sim_pid" 2>/dev/null || { echo "make_screenshots: the simulated board stopped" >&2; exit 1; }
    sleep 0.1
done

# A demo image: 1 KiB of counting bytes in Intel HEX.
awk 'BEGIN { for (a = 0; a < 1024; a += 16) { line = sprintf(":10%04X00", a); sum = 16 + int(a / 256) + a % 256
               for (i = 0; i < 16; i++) { b = (a + i) % 256; line = line sprintf("%02X", b); sum += b }
               print line sprintf("%02X", (256 - sum % 256) % 256) }
             print ":00000001FF" }' >"$scratch/blink.hex"

# 24-bit colour and the same fonts as a desktop; the pictures are of the window alone.
mkdir "$scratch/shots"
xvfb-run -a -s "-screen 0 1024x768x24" \
    "$build/tests/docs/window_screenshots" "$scratch/shots" "$scratch/blink.hex"
for picture in window advanced; do
    cp "$scratch/shots/$picture.png" "docs/$picture.png"
    echo "docs/$picture.png: $(stat -c %s "docs/$picture.png") bytes"
done
