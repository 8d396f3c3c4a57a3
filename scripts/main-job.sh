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
# Imports one sample; exit status 5 (records skipped or statements rejected, counted in the
# summary line) is a finished import and the job goes on; any other failure ends the job.
import_sample() {
  local status=0
  "$cli" --config "$demo/QIVA_IMPORT.INI" "$@" || status=$?
  if [ "$status" -ne 0 ] && [ "$status" -ne 5 ]; then
    echo "import of $* failed with exit status $status" >&2
    exit "$status"
  fi
}
while read -r kind file <&3; do
  import_sample "$kind" "samples/$file"
done 3< <(grep -v "^#" samples/main-job.list | grep .)
"$cli" --config "$demo/QIVA_IMPORT.INI" tables
echo "Embedded database: $demo/clinic.db"
