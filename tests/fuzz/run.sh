#!/bin/sh
# Runs every fuzz target for a fixed time, starting from its seed corpus.
#   tests/fuzz/run.sh <build-dir> <seconds>
# New inputs go to a scratch folder, so the corpus in the repository stays as it is;
# a crashing input is kept in <build-dir>/tests/fuzz/.
set -eu
if [ $# -ne 2 ]; then
    echo "usage: $0 <build-dir> <seconds>" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for target in hex_reader encrypted_image; do
    mkdir "$scratch/$target"
    echo "== $target ($seconds s)"
    "$build/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 \
        -artifact_prefix="$build/tests/fuzz/${target}-" -print_final_stats=1 \
        "$scratch/$target" "$here/corpus/$target"
done
