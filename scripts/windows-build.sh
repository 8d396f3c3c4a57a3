#!/usr/bin/env bash
# Cross-builds the Windows programs, unit tests and installer in build-win/ with mingw-w64 and
# NSIS, then runs the tests that need no database server under wine, `qiva-import.exe --help`,
# one import of the sample catalogues into the embedded database, and the installer: a silent
# install into a scratch folder, the installed programs run there, a reinstall that keeps the
# configuration, an install that waits for the programs still running to end, and the silent
# uninstall.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
bash scripts/windows-deps.sh
deps=$PWD/build-win-deps
echo "windows: dependencies ready in $(( $(date +%s) - start )) s"

cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQIVA_BUILD_GUI=OFF -DQIVA_BUILD_BENCH=OFF \
  -DQIVA_SQLITE_SOURCE_DIR="$deps/sqlite" -DQIVA_SODIUM_DIR="$deps/sodium" \
  -DQIVA_GTEST_SOURCE_DIR=/usr/src/googletest >/dev/null
cmake --build build-win -j"$(nproc)"
echo "windows: built in $(( $(date +%s) - start )) s"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX="$PWD/build-win/wineprefix"
wine=$(command -v wine || command -v wine64)
"$wine" cmd /c exit >/dev/null 2>&1 || true   # creates the wine prefix once

passed=0
failed=0
# Each test program runs whole, once: starting wine per test would take far longer.
while IFS= read -r program; do
  log="$program.log"
  if "$wine" "$program" --gtest_brief=1 >"$log" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "windows: FAILED $program" >&2
    tail -40 "$log" >&2
  fi
  grep -E '^\[  PASSED  \]' "$log" | sed "s|^|windows: $(basename "$program"): |" || true
done < <(find build-win -name '*_tests.exe' | sort)

cli=build-win/app/cli/qiva-import.exe
if "$wine" "$cli" --help | grep -q "qiva-import \[options\] KIND FILE"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1)); echo "windows: FAILED qiva-import.exe --help" >&2
fi

demo=build-win/demo
rm -rf "$demo" && mkdir -p "$demo"
printf 'driver=sqlite\r\ndatabase=clinic.db\r\n' > "$demo/QIVA_IMPORT.INI"
status=0
"$wine" "$cli" --config "$demo/QIVA_IMPORT.INI" nomenclatures samples/nomenclatoare_generale.xml \
  >"$demo/import.log" 2>&1 || status=$?
if { [ "$status" -eq 0 ] || [ "$status" -eq 5 ]; } && grep -q "Procesat 46 inregistrari" "$demo/import.log"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1)); echo "windows: FAILED the sample import (exit $status)" >&2
  cat "$demo/import.log" >&2
fi

# The installer, silent: /D= takes the folder as Windows names it (wine's Z: drive is /).
version=$(sed -n 's/.*kVersion = "\([0-9]*\)".*/\1/p' res/DialogLayout.h)
installer=build-win/qiva_import_setup_$version.exe
installed=$PWD/build-win/installed
rm -rf "$installed"
installed_win=$("$wine" winepath -w "$installed" 2>/dev/null | tr -d '\r')
install_failed=0
installer_fail() { install_failed=1; echo "windows: FAILED the installer: $*" >&2; }
if [ ! -f "$installer" ]; then
  installer_fail "no $installer"
else
  "$wine" "$installer" /S "/D=$installed_win" || installer_fail "silent install (exit $?)"
  for f in qiva_import.exe qiva-import.exe QIVA_IMPORT.INI uninstall.exe; do
    [ -f "$installed/$f" ] || installer_fail "no $f in the install folder"
  done
  "$wine" "$installed/qiva-import.exe" --version | tr -d '\r' | grep -q "^qiva-import $version" ||
    installer_fail "the installed qiva-import.exe --version"
  # The installed configuration beside the program: the database lands in the install folder.
  status=0
  "$wine" "$installed/qiva-import.exe" nomenclatures samples/nomenclatoare_generale.xml \
    >"$installed/import.log" 2>&1 || status=$?
  { { [ "$status" -eq 0 ] || [ "$status" -eq 5 ]; } &&
    grep -q "Procesat 46 inregistrari" "$installed/import.log" && [ -f "$installed/qiva.db" ]; } ||
    { installer_fail "the sample import from the install folder (exit $status)"; cat "$installed/import.log" >&2; }
  # A reinstall (an update) keeps the user's configuration.
  printf 'driver=sqlite\r\ndatabase=kept.db\r\n' >"$installed/QIVA_IMPORT.INI"
  "$wine" "$installer" /S "/D=$installed_win" || installer_fail "silent reinstall (exit $?)"
  grep -q "kept.db" "$installed/QIVA_IMPORT.INI" || installer_fail "the reinstall replaced QIVA_IMPORT.INI"
  # An update while the programs are still ending: stand-ins named as them live 3 and 2
  # seconds; the silent install must end after both and replace both files.
  marks=$PWD/build-win/lingering
  rm -rf "$marks" && mkdir -p "$marks"
  marks_win=$("$wine" winepath -w "$marks" 2>/dev/null | tr -d '\r')
  for f in qiva_import.exe qiva-import.exe; do
    cp build-win/packaging/qiva_lingering_program.exe "$installed/$f"
  done
  "$wine" "$installed/qiva_import.exe" "$marks_win\\gui" 3000 & gui_pid=$!
  "$wine" "$installed/qiva-import.exe" "$marks_win\\cli" 2000 & cli_pid=$!
  for _ in $(seq 100); do
    [ -f "$marks/gui.started" ] && [ -f "$marks/cli.started" ] && break
    sleep 0.1
  done
  if [ -f "$marks/gui.started" ] && [ -f "$marks/cli.started" ]; then
    "$wine" "$installer" /S "/D=$installed_win" || installer_fail "install over running programs (exit $?)"
    [ -f "$marks/gui.ended" ] && [ -f "$marks/cli.ended" ] ||
      installer_fail "the install ended before the running programs had"
    cmp -s "$installed/qiva_import.exe" build-win/app/win32/qiva_import.exe ||
      installer_fail "qiva_import.exe not replaced after it ended"
    cmp -s "$installed/qiva-import.exe" build-win/app/cli/qiva-import.exe ||
      installer_fail "qiva-import.exe not replaced after it ended"
  else
    installer_fail "the stand-ins for the running programs did not start"
  fi
  wait "$gui_pid" "$cli_pid" || true
  # _?= runs the uninstaller in place, so that wine waits for it.
  "$wine" "$installed/uninstall.exe" /S "_?=$installed_win" || installer_fail "silent uninstall (exit $?)"
  for f in qiva_import.exe qiva-import.exe; do
    [ ! -f "$installed/$f" ] || installer_fail "$f left after the uninstall"
  done
  [ -f "$installed/QIVA_IMPORT.INI" ] || installer_fail "the uninstall removed the configuration"
fi
if [ "$install_failed" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi

echo "windows: finished in $(( $(date +%s) - start )) s"
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
