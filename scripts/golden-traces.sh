#!/usr/bin/env bash
# Imports every shipped sample, in the main job's order (samples/main-job.list), into a new
# embedded database with --trace-sql, and compares each trace with the one checked in under
# samples/traces/ (a diff of each that differs). With --update it writes the checked-in traces
# anew instead, for review in the commit that changes what the imports send. Needs a build
# (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
update=no
[ "${1:-}" = "--update" ] && update=yes
cli=build/app/cli/qiva-import
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'driver=sqlite\r\ndatabase=%s\r\n' "$work/clinic.db" > "$work/QIVA_IMPORT.INI"
status=0
while read -r kind file <&3; do
  trace="$work/${file%.xml}.sql"
  "$cli" --config "$work/QIVA_IMPORT.INI" --trace-sql "$trace" "$kind" "samples/$file" \
    > /dev/null 2>&1 || [ $? -eq 5 ]
  golden="samples/traces/${file%.xml}.sql"
  if [ "$update" = yes ]; then
    cp "$trace" "$golden"
  elif ! cmp -s "$trace" "$golden"; then
    diff "$golden" "$trace" || true
    status=1
  fi
done 3< <(grep -v "^#" samples/main-job.list | grep .)
exit $status
