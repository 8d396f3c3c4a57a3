#!/usr/bin/env bash
# Builds the project, then imports the shipped sample file into a new embedded database and
# prints the rows of each table.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh >/dev/null
demo="$PWD/build/demo"
rm -rf "$demo"
mkdir -p "$demo"
printf 'driver=sqlite\r\ndatabase=%s\r\n' "$demo/clinic.db" > "$demo/QIVA_IMPORT.INI"
cli=build/app/cli/qiva-import
"$cli" --config "$demo/QIVA_IMPORT.INI" nomenclatures samples/nomenclatoare_generale.xml
"$cli" --config "$demo/QIVA_IMPORT.INI" tables
echo "Embedded database: $demo/clinic.db"
