#!/usr/bin/env bash
# Install what is missing, build, and start the address book.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target corvanta -j"$(nproc)"
exec build/default/bin/corvanta "$@"
