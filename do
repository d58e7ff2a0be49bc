#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Zentaro's one entry point for a fresh Debian 12 machine.
#   ./do run     install what is missing, build, start the simulated board and the program
#                (without a display: the main job through zentaro-cli)
#   ./do test    install what is missing, build, run every test
#   ./do setup   only install what is missing
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev googletest
          libbenchmark-dev qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
          fonts-wqy-microhei xvfb xauth)

setup() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if ((${#missing[@]})); then
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        echo "Installing: ${missing[*]}"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

build() {  # build <preset>
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

# Waits until the simulated board has linked its port: it says so in its first line, which
# run() copies into the file $sim_ready. Gives up when the board stops first or after 10 s.
wait_for_board() {
    for _ in $(seq 100); do
        grep -q '^zentaro-sim: .* -> ' "$sim_ready" && return 0
        if ! kill -0 "$sim_pid" 2>/dev/null; then
            echo "The simulated board stopped before its port was ready (its message is above)." >&2
            return 1
        fi
        sleep 0.1
    done
    echo "The simulated board did not link its port within 10 seconds; giving up." >&2
    return 1
}

# Without a display: the main job through zentaro-cli against a private simulated board.
run_without_display() {
    echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): showing the main job with zentaro-cli."
    setup
    # Only what the demo runs: the window is not needed here.
    cmake --preset release >/dev/null
    cmake --build --preset release --target zentaro_cli zentaro_sim
    local bin=build/release
    demo="$(mktemp -d)"  # global: the EXIT trap removes it
    # A private config home keeps the board's COM1 link away from the user's own ports.
    export XDG_CONFIG_HOME="$demo/config"
    sim_ready="$demo/sim-ready"
    "$bin/sim/zentaro-sim" --port COM1 --chip "Mirval 10" --modes S --level 3 \
        --block-size 256 --auto-increment Y >"$sim_ready" &
    sim_pid=$!
    trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true; rm -rf "$demo"' EXIT
    wait_for_board
    # The demo image: 1 KiB of counting bytes in Intel HEX.
    awk 'BEGIN { for (a = 0; a < 1024; a += 16) { line = sprintf(":10%04X00", a); sum = 16 + int(a / 256) + a % 256
                   for (i = 0; i < 16; i++) { b = (a + i) % 256; line = line sprintf("%02X", b); sum += b }
                   print line sprintf("%02X", (256 - sum % 256) % 256) }
                 print ":00000001FF" }' >"$demo/demo.hex"
    local cli=("$bin/src/cli/zentaro-cli" -p COM1 -d "Mirval 10")
    set -x
    "${cli[@]}" scan
    "${cli[@]}" program flash "$demo/demo.hex"
    "${cli[@]}" verify flash "$demo/demo.hex"
    "${cli[@]}" read flash "$demo/read-back.hex"
    { set +x; } 2>/dev/null
    head -n 3 "$demo/read-back.hex"
    set -x
    "${cli[@]}" fuses
    { set +x; } 2>/dev/null
    echo
    echo "On a desktop, ./do run starts the simulated board and the Zentaro window instead."
}

run() {
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        run_without_display
        return
    fi
    setup
    build release
    local bin=build/release
    # The demo board: level-type with block transfers and a chip with EEPROM. Its state file
    # keeps what you program for the next run.
    local state="${XDG_STATE_HOME:-$HOME/.local/state}/zentaro/demo-chip.state"
    mkdir -p "$(dirname "$state")"
    sim_ready=$(mktemp)
    "$bin/sim/zentaro-sim" --port COM1 --chip "Mirval 10" --modes S --level 3 \
        --block-size 256 --auto-increment Y --state "$state" > >(tee "$sim_ready") &
    sim_pid=$!
    trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true; rm -f "$sim_ready"' EXIT
    wait_for_board
    "$bin/src/ui/zentaro"
}

unit_tests() {
    setup
    build debug
    ctest --preset debug -j2
}

case "${1:-}" in
    setup) setup ;;
    run) run ;;
    test) unit_tests ;;
    *) echo "usage: $0 run|test|setup" >&2; exit 2 ;;
esac
