#!/usr/bin/env bash
# Installs every Debian package named in the given list files that is not
# installed yet. Returns at once when nothing is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$@")
[ ${#lists[@]} -gt 0 ] || lists=("$here/debian-packages.txt")

wanted=()
for list in "${lists[@]}"; do
    while read -r pkg _; do
        case "$pkg" in ''|'#'*) continue ;; esac
        wanted+=("$pkg")
    done < "$list"
done

missing=()
for pkg in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
