#!/usr/bin/env bash
# Builds the XML parser benchmark, generates the large catalogue file once (in build/bench-data,
# never committed) and measures the parser against a read-and-scan baseline.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target gen_xml_catalogue bench_xml_parse >/dev/null
data=build/bench-data/catalogue.xml
if [ ! -f "$data" ]; then
  mkdir -p build/bench-data
  build/bench/gen_xml_catalogue "$data" "${RECORDS:-600000}"
fi
build/bench/bench_xml_parse "$data" "${REPETITIONS:-3}"
