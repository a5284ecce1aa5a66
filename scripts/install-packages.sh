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

# One query for all of them (unknown names are left out of its answer).
installed=" $({ dpkg-query -W -f='${Status} ${Package}\n' "${wanted[@]}" 2>/dev/null || true; } \
    | sed -n 's/^install ok installed //p' | tr '\n' ' ') "
missing=()
for pkg in "${wanted[@]}"; do
    case "$installed" in *" ${pkg%:*} "*) ;; *) missing+=("$pkg") ;; esac
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
