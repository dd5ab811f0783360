#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan, UBSan) in build-fuzz/ and runs
# each for SECONDS, one job each. New inputs go to build-fuzz/corpus/, the
# committed seeds in tests/fuzz/corpus/ are only read. Exits non-zero when a
# fuzzer reports a finding (crash input in build-fuzz/findings/).
# Usage: tests/fuzz/run.sh SECONDS [TARGET...]   (targets: conversion replace_tag check)
# The check target reads its input as the conversion target does, so the
# conversion seeds are its seeds too.
# KOLVO_BUILD_JOBS sets the build's parallel jobs (default 1).
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:?usage: tests/fuzz/run.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(conversion replace_tag check)

build=${KOLVO_FUZZ_BUILD:-build-fuzz}
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DKOLVO_FUZZ=ON -DKOLVO_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build "$build" -j"${KOLVO_BUILD_JOBS:-1}" --target "${targets[@]/%/_fuzzer}" >/dev/null

mkdir -p "$build/findings"
for name in "${targets[@]}"; do
  mkdir -p "$build/corpus/$name"
  seeds=(tests/fuzz/corpus/"$name")
  [ "$name" != check ] || seeds=(tests/fuzz/corpus/check tests/fuzz/corpus/conversion)
  echo "fuzzing $name for $seconds s"
  "$build/tests/fuzz/${name}_fuzzer" -max_total_time="$seconds" -timeout=20 -max_len=2048 \
    -dict=tests/fuzz/kolvo.dict -print_final_stats=1 \
    -artifact_prefix="$build/findings/$name-" \
    "$build/corpus/$name" "${seeds[@]}" 2>"$build/$name.log" || {
    tail -n 60 "$build/$name.log" >&2
    echo "fuzz target $name reported a finding" >&2
    exit 1
  }
  grep -E '^(Done|stat::number_of_executed_units)' "$build/$name.log" || true
done
