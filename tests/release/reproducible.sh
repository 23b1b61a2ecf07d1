#!/usr/bin/env bash
# Two builds of one commit give the same bytes, and the version written in VERSION reaches every
# place that shows it:
#  1. the programs of the first build (build/win64, as scripts/test built them) are packed;
#  2. a copy of the sources in another folder is built afresh, without ccache, with the clock 400
#     days ahead, only what is shipped, and packed: every program, the uninstaller, the setup
#     program and the package are byte for byte the first build's, or the file and the first
#     offset that differs are named;
#  3. in that copy VERSION says 9.87, and the rebuilt programs' version resources, the Support
#     page's product line, TalvexCtl --version (under Wine), the setup program's version resource,
#     the package's ProductVersion, ProductCode and summary, and the file names all say 9.87.
# Usage: reproducible.sh <the first build's tree> <a folder for the second build>
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
first_tree=$(realpath "$1")
root=$(realpath -m "$2")
version=$(cat "$top/VERSION")
rm -rf "$root"
mkdir -p "$root"

failures=0
check() { # check DESCRIPTION COMMAND...: counts a failure and goes on
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
shipped() { # the shipped files of a make-installer output folder, relative to it
    printf '%s\n' "TalvexSetup-$1.exe" "TalvexAdapterConfiguration-$1.msi" \
        files/{TalvexCfg.exe,TalvexCtl.exe,DriverAgent.dll,TalvexMsiActions.dll,Uninstall.exe}
}
same_bytes() { # same_bytes A B NAME: names NAME and the first offset at which they differ
    local difference byte
    difference=$(cmp -- "$1/$3" "$2/$3" 2>&1) && return 0
    byte=$(sed -nE 's/.*differ: byte ([0-9]+).*/\1/p' <<<"$difference")
    if [ -n "$byte" ]; then
        printf '  %s: first difference at offset %d (0x%x)\n' "$3" $((byte - 1)) $((byte - 1))
    else
        echo "  $3: $difference"
    fi
    return 1
}

echo "--- the first build, packed"
start=$SECONDS
"$top/scripts/make-installer" --build "$first_tree" --out "$root/first" >"$root/first.log" 2>&1 ||
    { cat "$root/first.log"; exit 1; }

echo "--- a copy of the sources elsewhere, built afresh at another time"
second_start=$SECONDS
src=$root/elsewhere/sources
mkdir -p "$src"
git -C "$top" ls-files -z --cached --others --exclude-standard |
    tar -C "$top" --null --ignore-failed-read -T - -cf - | tar -C "$src" -xf -
# The dates packed are the commit's: given here, since the copy is no clone.
SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct)
export SOURCE_DATE_EPOCH
# build OUT: the copy's programs built and packed, with no cache and the clock 400 days later (the
# files' dates as they are: faketime would shift those too).
build() {
    env -u CMAKE_C_COMPILER_LAUNCHER -u CMAKE_CXX_COMPILER_LAUNCHER CCACHE_DISABLE=1 \
        NO_FAKE_STAT=1 faketime -f +400d "$src/scripts/make-installer" --out "$1" >"$1.log" 2>&1 ||
        { cat "$1.log"; return 1; }
}
build "$root/second"
echo "  (copied, built and packed in $((SECONDS - second_start)) s)"
for file in $(shipped "$version"); do
    check "$file is the same, byte for byte" same_bytes "$root/first" "$root/second" "$file"
done

echo "--- a new version, written only in VERSION"
new=9.87
echo "$new" >"$src/VERSION"
new_start=$SECONDS
build "$root/new"
echo "  (rebuilt and packed in $((SECONDS - new_start)) s)"
resources() { x86_64-w64-mingw32-windres -i "$1" -O rc 2>/dev/null | tr -d '\r'; }
says_version() { # the version resource of a program or setup program names the version
    local rc
    rc=$(resources "$1")
    grep -q "FILEVERSION 9, 87, 0, 0" <<<"$rc" && grep -q "PRODUCTVERSION 9, 87, 0, 0" <<<"$rc" &&
        grep -q "VALUE \"FileVersion\", \"$new\"" <<<"$rc" &&
        grep -q "VALUE \"ProductVersion\", \"$new\"" <<<"$rc"
}
property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v name="$2" '$1 == name { print $2 }'; }
msi=$root/new/TalvexAdapterConfiguration-$new.msi
check "the file names carry it" test -f "$root/new/TalvexSetup-$new.exe" -a -f "$msi"
check "so does SHA256SUMS" eval '(cd "$root/new" && sha256sum --check --quiet SHA256SUMS)'
check "the programs' version resources say $new" eval \
    'says_version "$root/new/files/TalvexCfg.exe" && says_version "$root/new/files/TalvexCtl.exe"'
check "the setup program's too" says_version "$root/new/TalvexSetup-$new.exe"
check "the Support page's product line says it" grep -qa "Talvex Adapter Configuration , Version $new" "$root/new/files/TalvexCfg.exe"
check "TalvexCtl --version says it" test \
    "$("$top/scripts/wine-run" "$root/new/files/TalvexCtl.exe" --version | tr -d '\r')" = "TalvexCtl $new"
check "the package's ProductVersion is $new" test "$(property "$msi" ProductVersion)" = "$new"
check "its ProductCode is the one derived from $new" test "$(property "$msi" ProductCode)" = "{$(python3 -c \
    'import uuid; print(str(uuid.uuid5(uuid.UUID("636BA6FA-9411-41FE-AE76-6AFDDD73F05A"), "9.87")).upper())')}"
check "its summary names it" eval 'msiinfo suminfo "$msi" | grep -qx "Subject: Talvex Adapter Configuration $new"'

[ "$failures" -eq 0 ] || { echo "release.reproducible: $failures check(s) failed (kept in $root)"; exit 1; }
rm -rf "$root"
echo "release.reproducible: passed in $((SECONDS - start)) s"
