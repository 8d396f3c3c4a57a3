#!/usr/bin/env bash
# Measures the SQL Server path through the stand-in and the real FreeTDS driver: the general
# catalogues import of a generated file, grouped (the default) and one statement per round trip,
# at each simulated link latency; prints the time, the round trips the stand-in counted and the
# rows stored. Sizes: ICD10 (default 300000) and SERVICES (default 100000) records for the
# grouped runs; the one-by-one runs take ONE_BY_ONE_ICD10/ONE_BY_ONE_SERVICES (default a tenth),
# since at 20 ms a round trip they would take hours. LATENCIES defaults to "0 1 20".
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target qiva-import qiva-tds-server generate_catalogues >/dev/null
icd=${ICD10:-300000} services=${SERVICES:-100000}
small_icd=${ONE_BY_ONE_ICD10:-$((icd / 10))} small_services=${ONE_BY_ONE_SERVICES:-$((services / 10))}
work=build/bench-data/sqlserver
mkdir -p "$work"
big="$work/catalogues-$icd-$services.xml" small="$work/catalogues-$small_icd-$small_services.xml"
[ -f "$big" ] || build/samples/generate_catalogues "$big" "$icd" "$services" >/dev/null
[ -f "$small" ] || build/samples/generate_catalogues "$small" "$small_icd" "$small_services" >/dev/null
driver=$(find /usr/lib -name libtdsodbc.so 2>/dev/null | head -1)
printf '[QIVA bench FreeTDS]\nDriver=%s\n' "$driver" > "$work/odbcinst.ini"
: > "$work/odbc.ini"
export ODBCSYSINI="$PWD/$work" ODBCINSTINI=odbcinst.ini ODBCINI="$PWD/$work/odbc.ini"

# One import; prints "mode latency records seconds requests rows".
run() {
  local mode=$1 latency=$2 file=$3 records=$4
  rm -f "$work"/served.db*
  build/db/tds/qiva-tds-server --database "$PWD/$work/served.db" --user qiva --password qiva \
    --latency-ms "$latency" > "$work/server.out" &
  local server=$!
  until grep -q listening "$work/server.out" 2>/dev/null; do sleep 0.05; done
  local port
  port=$(sed -n 's/listening on 127.0.0.1://p' "$work/server.out")
  printf 'server=127.0.0.1,%s\r\ndatabase=CLINIC\r\nuser=qiva\r\npass=qiva\r\ndriver=QIVA bench FreeTDS\r\n' \
    "$port" > "$work/QIVA_IMPORT.INI"
  local flag=() start end
  [ "$mode" = one-by-one ] && flag=(--no-grouping)
  start=$(date +%s.%N)
  build/app/cli/qiva-import --quiet --config "$PWD/$work/QIVA_IMPORT.INI" "${flag[@]}" nomenclatures "$file" \
    > /dev/null 2>&1 || true
  end=$(date +%s.%N)
  kill "$server"; wait "$server" || true
  # The rows are counted in the served file itself, so that the count adds no round trips.
  printf 'driver=sqlite\r\ndatabase=%s\r\n' "$PWD/$work/served.db" > "$work/served.INI"
  local rows
  rows=$(build/app/cli/qiva-import --config "$PWD/$work/served.INI" tables 2>/dev/null |
         awk '$1 == "QIVA_ICD10" || $1 == "QIVA_CLINIC_SERVICES" { n += $2 } END { print n + 0 }')
  local requests
  requests=$(awk '/^requests/ { print $2 }' "$work/server.out")
  awk -v m="$mode" -v l="$latency" -v n="$records" -v s="$start" -v e="$end" -v r="$requests" -v rows="$rows" \
    'BEGIN { printf "%-10s %4s ms %8d records %8.2f s %8d round trips %8d rows %7.0f records/round trip\n", m, l, n, e - s, r, rows, n / r }'
}

for latency in ${LATENCIES:-0 1 20}; do
  run grouped "$latency" "$big" $((icd + services))
  run one-by-one "$latency" "$small" $((small_icd + small_services))
done
