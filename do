#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Zentaro's one entry point for a fresh Debian 12 machine.
#   ./do run     install what is missing, build, start the simulated board and the program
#                (without a display: the main job through zentaro-cli)
#   ./do test    install what is missing, build, run every test
#   ./do setup   only install what is missing
#   ./do demo-port  say which COM name ./do run would give the simulated board
#   ./do screenshots  make the window's pictures in docs/ against the simulated board
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev googletest python3-jsonschema
          libbenchmark-dev libelf-dev libtomlplusplus-dev nlohmann-json3-dev nettle-dev libcli11-dev
          qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev fonts-wqy-microhei xvfb xauth)

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

# A scratch folder for the demo, removed at exit after the simulated board is stopped.
new_demo() {
    demo="$(mktemp -d)"
    trap '[ -z "${sim_pid:-}" ] || { kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true; }
          rm -rf "$demo"' EXIT
}

# "A", "A and B", "A, B and C".
join_and() {
    local all="$*"
    all="${all// /, }"
    (($# > 1)) && all="${all%, *} and ${all##*, }"
    echo "$all"
}

# Sets demo_port to the first of COM1…COM4 that has no link of the user's under the
# configuration home, so that the demo leaves every pinned port as it is, and says which. A
# dangling link whose target the note .COMn.zentaro-sim beside it names is no pin: a
# simulated board that was killed left both, and the board replaces the link. When all four
# are taken the demo gets a configuration home of its own in $demo, which the window then
# uses as well.
choose_demo_port() {
    local ports="${XDG_CONFIG_HOME:-$HOME/.config}/Veltrona/Zentaro/ports" taken=() link
    for demo_port in COM1 COM2 COM3 COM4; do
        link="$ports/$demo_port"
        if [ ! -e "$link" ] && { [ ! -L "$link" ] ||
               [ "$(cat "$ports/.$demo_port.zentaro-sim" 2>/dev/null)" = "$(readlink "$link")" ]; }; then
            if ((${#taken[@]} == 0)); then
                echo "The simulated board is on $demo_port."
            elif ((${#taken[@]} == 1)); then
                echo "The simulated board is on $demo_port (${taken[0]} has a link of yours)."
            else
                echo "The simulated board is on $demo_port ($(join_and "${taken[@]}") have links of yours)."
            fi
            return
        fi
        taken+=("$demo_port")
    done
    export XDG_CONFIG_HOME="$demo/config"
    demo_port=COM1
    echo "The simulated board is on COM1 under a configuration home of the demo's own" \
         "(COM1 to COM4 all have links of yours; settings changed in this run are not kept)."
}

# Starts the demo board on $demo_port: level-type with block transfers and a chip with EEPROM,
# with the given further options. Returns when its port is linked: it says so in its first
# line, copied into $demo/sim-ready. Gives up when the board stops first or after 10 s.
start_board() {
    local sim_ready="$demo/sim-ready"
    : >"$sim_ready"  # before tee makes it, so that the first look finds it
    build/release/sim/zentaro-sim --port "$demo_port" --chip "Mirval 10" --modes S --level 3 \
        --block-size 256 --auto-increment Y "$@" > >(tee "$sim_ready") &
    sim_pid=$!
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

# Without a display: the main job through zentaro-cli against the simulated board.
run_without_display() {
    echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): showing the main job with zentaro-cli."
    setup
    # Only what the demo runs: the window is not needed here.
    cmake --preset release >/dev/null
    cmake --build --preset release --target zentaro_cli zentaro_sim
    new_demo
    choose_demo_port
    start_board
    # The demo image: 1 KiB of counting bytes in Intel HEX.
    awk 'BEGIN { for (a = 0; a < 1024; a += 16) { line = sprintf(":10%04X00", a); sum = 16 + int(a / 256) + a % 256
                   for (i = 0; i < 16; i++) { b = (a + i) % 256; line = line sprintf("%02X", b); sum += b }
                   print line sprintf("%02X", (256 - sum % 256) % 256) }
                 print ":00000001FF" }' >"$demo/demo.hex"
    local cli=(build/release/src/cli/zentaro-cli -p "$demo_port" -d "Mirval 10")
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
    new_demo
    choose_demo_port
    # The chip's state file keeps what you program for the next run.
    local state="${XDG_STATE_HOME:-$HOME/.local/state}/zentaro/demo-chip.state"
    mkdir -p "$(dirname "$state")"
    start_board --state "$state"
    build/release/src/ui/zentaro
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
    demo-port) new_demo && choose_demo_port ;;
    screenshots) setup && cmake --preset debug >/dev/null && docs/make_screenshots.sh build/debug ;;
    *) echo "usage: $0 run|test|setup|demo-port|screenshots" >&2; exit 2 ;;
esac
