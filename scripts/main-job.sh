#!/usr/bin/env bash
# Builds the project and imports the shipped sample files into the embedded database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
echo "Build complete. Imports are not available yet: the command-line program and the first"
echo "import routine are still being built."
