#!/usr/bin/env bash
# Runs the registry scenarios on the in-memory registry and, under Wine, on the real one, and
# fails with the difference when the transcripts are not identical.
#
#   compare.sh memory-binary windows-exe
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_run=$here/../../scripts/wine-run
[ $# -eq 2 ] || { echo "usage: compare.sh memory-binary windows-exe" >&2; exit 2; }
[ -f "$2" ] || { echo "missing $2: build the win64 tree first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/talvex-diff.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$1" >"$work/memory.txt"
"$wine_run" "$2" >"$work/wine.txt"
if ! diff -u --label wine "$work/wine.txt" --label memory "$work/memory.txt"; then
    echo "the in-memory registry differs from Wine's (lines marked + are the in-memory ones)" >&2
    exit 1
fi
echo "identical: $(wc -l <"$work/memory.txt") lines"
