#!/usr/bin/env bash
# Zentaro's one entry point for a fresh Debian 12 machine.
#   ./do run     install what is missing, build, start the simulated board and the program
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

run() {
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display: Zentaro is a desktop program and needs a graphical session (DISPLAY or WAYLAND_DISPLAY)." >&2
        exit 1
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
