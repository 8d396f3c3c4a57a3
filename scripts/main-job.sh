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
import_sample nomenclatures samples/nomenclatoare_generale.xml
import_sample nhp samples/programe_nationale.xml
import_sample day-tariffs samples/tarife_spitalizare_zi.xml
import_sample feedback samples/feedback_spitalizare.xml
import_sample feedback samples/feedback_spitalizare_zi.xml
import_sample physicians samples/medici_trimitatori.xml
import_sample personalization samples/personalizare_furnizor.xml
import_sample errors samples/CLINIC_4412345_202103_20210412_153012.xml
import_sample errors samples/SPT_DRG_4412345_202103_20210412_153540.xml
import_sample pharmacy-errors samples/SPT_FARM_4412345_202103_20210412_160112.xml
import_sample pharma samples/nomenclator_farmaceutic.xml
"$cli" --config "$demo/QIVA_IMPORT.INI" tables
echo "Embedded database: $demo/clinic.db"
