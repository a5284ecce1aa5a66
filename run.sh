#!/usr/bin/env bash
# Installs what is missing, builds Cardwright and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/install-packages.sh" "$root/scripts/debian-packages.txt"
"$root/scripts/build.sh"
exec "${CARDWRIGHT_BUILD_DIR:-$root/build}/bin/cardwright" "$@"
