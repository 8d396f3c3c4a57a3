#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need, when any is missing.
# Idempotent and quiet; needs root (or sudo) only when something must be installed.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev
  libsqlite3-dev
  nlohmann-json3-dev
  libsodium-dev
  unixodbc unixodbc-dev tdsodbc libsqliteodbc
  locales
  clang-14 libclang-rt-14-dev  # the XML parser's fuzz target: libFuzzer and the sanitizers
  help2man dpkg-dev file       # the man pages and the Debian packages (cpack -G DEB)
  clang-format                 # the format check of the C++ files
  clang-format                 # the format check
)

# The number tests also run under a Romanian locale (decimal comma), when it can be generated.
ensure_romanian_locale() {
  locale -a 2>/dev/null | grep -qi '^ro_RO\.utf-\?8$' && return 0
  [ -f /etc/locale.gen ] || return 0
  $sudo sed -i 's/^# *\(ro_RO\.UTF-8 UTF-8\)/\1/' /etc/locale.gen 2>/dev/null || return 0
  $sudo locale-gen >/dev/null 2>&1 || true
}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  ensure_romanian_locale
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
ensure_romanian_locale
