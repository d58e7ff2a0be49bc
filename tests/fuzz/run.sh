#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs fuzz targets from their seed corpora, for a time or for a number of inputs each.
#   tests/fuzz/run.sh <build-dir> <seconds> [target...]
#   tests/fuzz/run.sh <build-dir> --runs <inputs> [target...]
# A run for a number of inputs stops after an hour (ZENTARO_FUZZ_MAX_TIME seconds) at most.
# Without targets, every target runs, one after the other. New inputs go to a scratch
# folder (kept when ZENTARO_FUZZ_CORPUS names one), so the corpus in the repository stays
# as it is; a crashing input is kept in <build-dir>/tests/fuzz/.
set -eu
usage() {
    echo "usage: $0 <build-dir> (<seconds> | --runs <inputs>) [target...]" >&2
    exit 2
}
[ $# -ge 2 ] || usage
build=$(cd "$1" && pwd)
shift
if [ "$1" = --runs ]; then
    [ $# -ge 2 ] || usage
    limit="-runs=$2 -max_total_time=${ZENTARO_FUZZ_MAX_TIME:-3600}"
    shift 2
else
    limit="-max_total_time=$1"
    shift
fi
here=$(cd "$(dirname "$0")" && pwd)
# Recording where every block was allocated costs a fifth of the inputs; a finding is still
# caught, and running the target on the kept input alone shows those stacks.
export ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=0}"
if [ -n "${ZENTARO_FUZZ_CORPUS:-}" ]; then
    scratch=$ZENTARO_FUZZ_CORPUS
else
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
fi
[ $# -gt 0 ] || set -- hex_reader srecord_reader elf_reader encrypted_image hex_round_trip \
    hostile_board sim_board

for target in "$@"; do
    # Inputs long enough for files of many records and long reply streams.
    case $target in
    hex_reader) options="-max_len=8192 -dict=$here/dict/hex_records.dict" ;;
    srecord_reader) options="-max_len=8192 -dict=$here/dict/srecords.dict" ;;
    # An image beyond 64 KiB costs what a hundred small ones do, as does a long block read
    # for the board; the schedule favours inputs by their speed so that those do not crowd
    # out the rest.
    hex_round_trip) options="-max_len=4096 -entropic_scale_per_exec_time=1" ;;
    sim_board) options="-max_len=4096 -entropic_scale_per_exec_time=1" ;;
    # A board run touches thousands of features; the entropic schedule's bookkeeping for
    # them would halve the inputs tried.
    hostile_board) options="-max_len=8192 -dict=$here/dict/board_replies.dict -entropic=0" ;;
    *) options="-max_len=4096" ;;
    esac
    mkdir -p "$scratch/$target"
    seeds=
    [ -d "$here/corpus/$target" ] && seeds="$here/corpus/$target"
    echo "== $target ($limit)"
    # shellcheck disable=SC2086
    "$build/tests/fuzz/${target}_fuzz" $limit $options -timeout=10 \
        -artifact_prefix="$build/tests/fuzz/${target}-" -print_final_stats=1 \
        "$scratch/$target" $seeds
done
