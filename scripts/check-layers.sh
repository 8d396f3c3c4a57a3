#!/bin/bash
# Fails when a file includes a header of a layer above its own. The layers, bottom to top:
# res and base, xml, db, the import toolkit, import, reports, update, app, and on top the
# measuring programs: bench/ (above app, since one benchmark drives the Qt dialog) and fuzz/
# (the parser's fuzz target). A folder's tests/ belong to its layer; nothing includes bench/ or
# fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."

# The layers a file of each layer may include, itself among them.
declare -A allowed=(
  [res]="res"
  [base]="res base"
  [xml]="res base xml"
  [db]="res base db"
  [toolkit]="res base xml db toolkit"
  [import]="res base xml db toolkit import"
  [reports]="res base xml db toolkit import reports"
  [update]="res base xml update"
  [app]="res base xml db toolkit import reports update app"
  [bench]="res base xml db toolkit import reports update app bench"
  [fuzz]="res base xml fuzz"
)

layer_of() {
  case "$1" in
    import/toolkit/*) echo toolkit ;;
    res/* | base/* | xml/* | db/* | import/* | reports/* | update/* | app/* | bench/* | fuzz/*)
      echo "${1%%/*}"
      ;;
    *) echo "" ;;
  esac
}

status=0
while IFS= read -r file; do
  own=$(layer_of "$file")
  [ -n "$own" ] || continue
  while IFS= read -r included; do
    target=$(layer_of "$included")
    [ -n "$target" ] || continue
    if [[ " ${allowed[$own]} " != *" $target "* ]]; then
      echo "$file includes $included: the $own layer may not include the $target layer"
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files '*.h' '*.cpp' '*.c' '*.in')
exit $status
