#!/bin/sh
# Runs a test program against a private CUPS server with one cups-pdf queue,
# "CardwrightPDF", whose PDF files land in a temporary folder, and a second,
# "CardwrightMargins", whose printer cannot print the outer 6.35 mm left and
# right and 12.7 mm top and bottom (its PPD says so), on Letter by default:
#   cups_queue.sh <program> [arguments]
# The program finds the server through CUPS_SERVER and the folders through
# CW_CUPS_OUT and CW_CUPS_MARGINS_OUT; a second run points CUPS_SERVER at a
# socket that does not
# exist (CW_CUPS_MISSING=1). The system's own CUPS is not touched. Needs
# root (cupsd, lpadmin, the cups-pdf backend); else the test is skipped.
set -u
skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "a private cupsd needs root"
for tool in cupsd lpadmin lpstat; do
    command -v "$tool" >/dev/null 2>&1 || [ -x "/usr/sbin/$tool" ] || skip "$tool is not installed (cups, cups-client)"
done
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -f "$ppd" ] && [ -x /usr/lib/cups/backend/cups-pdf ] || skip "cups-pdf is not installed (printer-driver-cups-pdf)"
PATH="$PATH:/usr/sbin"

program="$1"
shift
tmp=$(mktemp -d /tmp/cw-cups.XXXXXX) || exit 1
queue=CardwrightPDF
margins=CardwrightMargins
pdfconf=/etc/cups/cups-pdf-$queue.conf
marginsconf=/etc/cups/cups-pdf-$margins.conf
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -f "$pdfconf" "$marginsconf"
    rm -rf "$tmp"
}
trap cleanup EXIT INT TERM

chown root:lp "$tmp" && chmod 1770 "$tmp"
mkdir -p "$tmp/etc/ppd" "$tmp/spool/tmp" "$tmp/cache" "$tmp/state" "$tmp/log" "$tmp/out" "$tmp/out-margins"
chmod 1777 "$tmp/out" "$tmp/out-margins"
chown root:lp "$tmp/spool" "$tmp/spool/tmp" && chmod 1770 "$tmp/spool" "$tmp/spool/tmp"
socket="$tmp/cups.sock"
cat >"$tmp/etc/cupsd.conf" <<CONF
Listen $socket
LogLevel warn
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF
cat >"$tmp/etc/cups-files.conf" <<CONF
ServerRoot $tmp/etc
RequestRoot $tmp/spool
TempDir $tmp/spool/tmp
CacheDir $tmp/cache
StateDir $tmp/state
ErrorLog $tmp/log/error_log
AccessLog $tmp/log/access_log
PageLog $tmp/log/page_log
SystemGroup root
FileDevice No
CONF
printf 'Out %s\nAnonDirName %s\nGrp lp\nLog %s\n' "$tmp/out" "$tmp/out" "$tmp/log" >"$pdfconf"
printf 'Out %s\nAnonDirName %s\nGrp lp\nLog %s\n' "$tmp/out-margins" "$tmp/out-margins" "$tmp/log" >"$marginsconf"
# Every paper of the margins queue loses 18 pt left and right, 36 pt top and
# bottom; Letter is its default.
awk '/^\*DefaultPageSize:|^\*DefaultPageRegion:|^\*DefaultImageableArea:|^\*DefaultPaperDimension:/ {
         sub(/: .*/, ": Letter")
     }
     /^\*ImageableArea / && match($0, /"0 0 [0-9.]+ [0-9.]+"/) {
         split(substr($0, RSTART + 1, RLENGTH - 2), v, " ")
         $0 = substr($0, 1, RSTART - 1) "\"18 36 " (v[3] - 18) " " (v[4] - 36) "\""
     }
     { print }' "$ppd" >"$tmp/margins.ppd"

cupsd -f -c "$tmp/etc/cupsd.conf" -s "$tmp/etc/cups-files.conf" &
pid=$!
export CUPS_SERVER="$socket"
i=0
# lpstat -r exits 0 either way: wait for its "is running" answer.
until lpstat -r 2>/dev/null | grep -q "scheduler is running"; do
    i=$((i + 1))
    if [ "$i" -gt 100 ] || ! kill -0 "$pid" 2>/dev/null; then
        echo "cupsd did not start"; cat "$tmp/log/error_log" 2>/dev/null; exit 1
    fi
    sleep 0.1
done
lpadmin -p "$queue" -v "cups-pdf:/$queue" -P "$ppd" -E || { cat "$tmp/log/error_log"; exit 1; }
lpadmin -p "$margins" -v "cups-pdf:/$margins" -P "$tmp/margins.ppd" -E || { cat "$tmp/log/error_log"; exit 1; }

status=0
CW_CUPS_OUT="$tmp/out" CW_CUPS_MARGINS_OUT="$tmp/out-margins" "$program" "$@" || status=1
CUPS_SERVER="$tmp/missing.sock" CW_CUPS_MISSING=1 "$program" "$@" || status=1
[ "$status" = 0 ] || { echo "--- cupsd log"; cat "$tmp/log/error_log" 2>/dev/null; }
exit "$status"
