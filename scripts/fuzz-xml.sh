#!/usr/bin/env bash
# Builds the XML parser's libFuzzer target in build-fuzz (clang-14 with address and undefined
# behaviour sanitizers) and runs it for SECONDS (default 60) from the committed seed corpus.
# Usage: scripts/fuzz-xml.sh [--build-only | --no-build] [SECONDS]
# New inputs go to fuzz/corpus-run/, crashing inputs to build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=1
run=1
case "${1:-}" in
  --build-only) run=0; shift ;;
  --no-build) build=0; shift ;;
esac
seconds=${1:-60}

if [ "$build" = 1 ]; then
  if [ ! -f build-fuzz/CMakeCache.txt ]; then
    CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DBUILD_TESTING=OFF -DQIVA_BUILD_GUI=OFF -DQIVA_BUILD_BENCH=OFF -DQIVA_BUILD_FUZZ=ON >/dev/null
  fi
  cmake --build build-fuzz -j"$(nproc)" --target xml_fuzz
fi

if [ "$run" = 1 ]; then
  mkdir -p fuzz/corpus-run build-fuzz/artifacts
  nice -n 10 build-fuzz/fuzz/xml_fuzz -max_total_time="$seconds" -max_len=8192 \
    -dict=fuzz/xml.dict -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1 \
    fuzz/corpus-run fuzz/corpus/xml
fi
