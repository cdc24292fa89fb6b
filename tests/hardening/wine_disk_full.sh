#!/usr/bin/env bash
# The Windows command-line generator running out of room part way, under
# Wine: the generator's process may not grow a file past 2 KiB (SIGXFSZ
# ignored, so the write fails), while the wineserver, started without the
# limit, is not held to it. Every file is written whole under a staging name
# before any takes its name, so the first one too large changes nothing, and
# the message must say so.
# Usage: wine_disk_full.sh <wine-run> <wine-env> <quillfern-cli.exe> <scratch folder>
set -euo pipefail
wine_run=$1 wine_env=$2 exe=$3 scratch=$4
. "$wine_env"
/usr/lib/wine/wineserver -p5 2>/dev/null || true  # one without the limit, unless one runs already

rm -rf "$scratch"
mkdir -p "$scratch"
windows() { printf 'Z:%s' "${1//\//\\}"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

"$wine_run" "$exe" -a Excel -V XP -o "$(windows "$scratch/room")" >/dev/null 2>&1 || fail "the run with room failed"

set +e
err=$( (ulimit -f 2; trap '' XFSZ; "$wine_run" "$exe" -a Excel -V XP -o "$(windows "$scratch/full")") 2>&1 >/dev/null)
status=$?
set -e
echo "$err"
[ "$status" -eq 1 ] || fail "exit status $status, not 1"
grep -qF "error: Unable to write project files." <<<"$err" || fail "no write error"
grep -qF "error: could not write $(windows "$scratch/full")\\Unit1.pas: " <<<"$err" || fail "the file is not named"
grep -qF "Unit1.pas: Disk full; nothing was changed" <<<"$err" || fail "that nothing was changed is not said"
[ -z "$(ls -A "$scratch/full")" ] || fail "the folder holds $(ls -A "$scratch/full")"
rm -rf "$scratch"
