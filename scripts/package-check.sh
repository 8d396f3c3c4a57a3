#!/usr/bin/env bash
# Builds the Debian packages from build/ (cpack -G DEB), checks their contents and control
# fields, unpacks them into a throwaway root and runs the unpacked qiva-import: --version, and
# an import of a sample with the packaged example configuration pointed at a scratch folder.
# Expects build/ to be built (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
root=$PWD
failed=0
fail() { echo "package: FAILED $*" >&2; failed=$((failed + 1)); }

(cd build && rm -f ./*.deb && cpack -G DEB >/dev/null)
version=$(sed -n 's/.*kVersion = "\([0-9]*\)".*/\1/p' res/DialogLayout.h)
cli_deb=build/qiva-import_${version}_amd64.deb
gui_deb=build/qiva-import-gui_${version}_amd64.deb
[ -f "$cli_deb" ] || { echo "package: no $cli_deb" >&2; exit 1; }

# Contents: every path a user or an administrator is told about.
contents=$(dpkg-deb -c "$cli_deb" | awk '{print $6}')
for path in ./usr/bin/qiva-import ./usr/bin/qiva-update-sign ./etc/qiva-import/QIVA_IMPORT.INI \
  ./var/lib/qiva-import/ ./usr/share/man/man1/qiva-import.1.gz \
  ./usr/share/man/man1/qiva-update-sign.1.gz ./usr/share/bash-completion/completions/qiva-import \
  ./usr/share/doc/qiva-import/examples/qiva-import.service \
  ./usr/share/doc/qiva-import/examples/qiva-import.timer; do
  grep -qxF "$path" <<<"$contents" || fail "$cli_deb lacks $path"
done
[ "$(dpkg-deb -f "$cli_deb" Package)" = qiva-import ] || fail "package name"
[ "$(dpkg-deb -f "$cli_deb" Version)" = "$version" ] || fail "version"
dpkg-deb -f "$cli_deb" Depends | grep -q 'libsqlite3-0' || fail "Depends lacks the shared libraries"
dpkg-deb -I "$cli_deb" conffiles | grep -qxF /etc/qiva-import/QIVA_IMPORT.INI ||
  fail "the example configuration is no conffile"
if [ -f "$gui_deb" ]; then
  gui_contents=$(dpkg-deb -c "$gui_deb" | awk '{print $6}')
  for path in ./usr/bin/qiva_import ./usr/share/applications/qiva_import.desktop \
    ./usr/share/pixmaps/qiva_import.xpm ./usr/share/man/man1/qiva_import.1.gz; do
    grep -qxF "$path" <<<"$gui_contents" || fail "$gui_deb lacks $path"
  done
  dpkg-deb -f "$gui_deb" Depends | grep -q "qiva-import (= $version)" || fail "gui Depends"
fi
bash -n packaging/qiva-import.bash-completion || fail "the completion file does not parse"

# A throwaway root: the packages unpacked, the programs run from there.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$cli_deb" "$scratch/root"
cli=$scratch/root/usr/bin/qiva-import
"$cli" --version | grep -qx "qiva-import $version.*" || fail "the unpacked qiva-import --version"
"$scratch/root/usr/bin/qiva-update-sign" --version | grep -q "^qiva-update-sign $version" ||
  fail "the unpacked qiva-update-sign --version"
# Every option that the help texts list is in the man page and in the completion.
man_text=$(zcat "$scratch/root/usr/share/man/man1/qiva-import.1.gz" | sed 's/\\-/-/g')
for topic in "" init-db nomenclatures day-tariffs; do
  for option in $("$cli" ${topic:+"$topic"} --help | sed -n 's/^  \(--[a-z][a-z-]*\).*/\1/p'); do
    if [ -z "$topic" ]; then
      grep -qF -- "$option" <<<"$man_text" || fail "the man page lacks $option"
    fi
    grep -qw -- "$option" packaging/qiva-import.bash-completion || fail "the completion lacks $option"
  done
done
mkdir -p "$scratch/var/lib/qiva-import"  # the service's StateDirectory
sed "s|/var/|$scratch/var/|g" "$scratch/root/etc/qiva-import/QIVA_IMPORT.INI" >"$scratch/QIVA_IMPORT.INI"
status=0
"$cli" --config "$scratch/QIVA_IMPORT.INI" --report "$scratch/report.json" nomenclatures \
  samples/nomenclatoare_generale.xml >"$scratch/out.txt" 2>"$scratch/err.txt" || status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 5 ]; then
  fail "the sample import with the unpacked program (exit $status)"
  cat "$scratch/err.txt" >&2
fi
grep -q "Procesat 46 inregistrari" "$scratch/out.txt" || fail "the sample import's last status"
[ -f "$scratch/var/lib/qiva-import/qiva.db" ] || fail "the database is not where the configuration says"
grep -q "logs in $scratch/var/log/qiva-import" "$scratch/err.txt" || fail "the logs' folder"
cd "$root"
echo "package: checked in $(( $(date +%s) - start )) s, $failed failed"
[ "$failed" -eq 0 ]
