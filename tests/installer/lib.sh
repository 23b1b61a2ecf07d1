# What the installer tests share: a throw-away Wine prefix with an Xvfb, checks that count
# failures, waits, and snapshots of the prefix to compare with. Sourced, not run.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../scripts/lib/wine-prefix.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/talvex-installer.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all
# Shortcuts would otherwise become menu entries in the host's home folder.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
xvfb_pid=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
talvex_copy_prefix "$(talvex_wine_template)" "$WINEPREFIX"
talvex_start_xvfb

drive=$WINEPREFIX/drive_c
program_dir="$drive/Program Files/Talvex Adapter Configuration"
shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Talvex Adapter Configuration.lnk"
task="$drive/windows/system32/tasks/Talvex Adapter Configuration"
# A change made with TalvexCtl set --confirm-within, waiting: its record and task, which the
# uninstall removes (what the snapshots compare then shows it).
seed_pending_change() {
    wine reg add 'HKLM\Software\Talvex\Adapter Configuration\Change' /v State /d applied /f >/dev/null 2>&1
    cp "$task" "$task revert"
}
uninstall_root='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
uninstall_key="$uninstall_root\\TalvexAdapterConfiguration"

failures=0
check() { # check DESCRIPTION COMMAND...: counts a failure and goes on
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
absent() { [ ! -e "$1" ]; }
# The installed console tool finds the seeded adapter.
console_finds_adapter() { wine "$program_dir/TalvexCtl.exe" show 2>&1 | grep -q "NetworkCards entry 1"; }
key_present() { wine reg query "$1" >/dev/null 2>&1; }
key_absent() { ! key_present "$1"; }
wait_for() { # wait_for SECONDS COMMAND...: polls until the command succeeds
    local deadline=$((SECONDS + $1))
    until "${@:2}"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}
exits_with() { # exits_with CODE COMMAND...: the host sees only the low byte of a Windows code
    local status=0
    "${@:2}" || status=$?
    [ "$status" -eq $(($1 & 255)) ] || { echo "  exit code $status, not $1 (mod 256)"; return 1; }
}
# Every process of the prefix has ended (Wine's own services included): nothing writes any more,
# and wineserver has saved the registry to the prefix's files.
settle() { timeout 60 wineserver -w; }

# The prefix's files (without the temporary folders) and HKLM\Software (the Uninstall key
# included) as saved in system.reg, without the keys' times of last change. Windows Installer's
# own store (its folder and keys), made at its first use and left in place, counts only where it
# holds something: every Windows machine has it.
snapshot() {
    settle
    (cd "$drive" && find . \( -ipath './windows/temp' -o -ipath './users/*/temp' \) -prune \
        -o \( -ipath './windows/installer' -empty \) -prune -o -print | sort) >"$work/$1.files"
    awk '/^\[/ { keep = index($0, "[Software\\\\") == 1; sub(/\] [0-9]+$/, "]")
                 store = index($0, "[Software\\\\Classes\\\\Installer\\\\") == 1 ||
                     index($0, "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Installer\\\\") == 1
                 if (store) { header = $0; next } }
         store && (/^#time=/ || /^$/) { next }
         store && header != "" { print header; header = "" }
         keep && !/^#time=/' "$WINEPREFIX/system.reg" >"$work/$1.reg"
}
same_as_before() { # prints what changed in the files and in the registry
    snapshot "$1"
    local files=0
    diff "$work/before.files" "$work/$1.files" || files=1
    diff "$work/before.reg" "$work/$1.reg" && [ "$files" -eq 0 ]
}

# An installed adapter of the supported driver for the program to find, then the state that
# every uninstall must return to.
seed_adapter_and_snapshot() {
    local card='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1'
    wine reg add "$card" /v Title /d "Talvex Fast Ethernet Adapter" /f >/dev/null
    wine reg add "$card" /v ProductName /d TVR8Q /f >/dev/null
    wine reg add "$card" /v ServiceName /d TVR8Q1 /f >/dev/null
    snapshot before
}

# The test CA of installer.signing (signing.sh), whose key signed the packages under test: the
# programs they install must verify against it. Set by the scripts from their arguments.
test_ca=""
signed() { # signed FILE...: each verifies against the test CA
    local file
    for file; do
        osslsigncode verify -CAfile "$test_ca" -TSA-CAfile "$test_ca" -in "$file" >/dev/null 2>&1 ||
            { echo "  not signed by the test CA: $file"; return 1; }
    done
}
sign_as_tested() { # sign_as_tested FILE...: with the key of the packages under test
    TALVEX_SIGN_KEY=$(dirname "$test_ca")/signing.pfx \
        TALVEX_SIGN_PASSWORD=$(cat "$(dirname "$test_ca")/signing.password") \
        "$here/../../installer/sign" "$@"
}
version=$(cat "$here/../../VERSION")
# Apps & Features shows the version of the file VERSION.
shows_version() { wine reg query "$1" /v DisplayVersion | tr -d '\r' | grep -q "REG_SZ[[:space:]]*$version$"; }

# Version 1.01 of the package, signed as the package under test, from the programs it packs (its
# release's files/) in $work/later.msi; its files are in $work/bin-1.01, TalvexCfg.exe and
# TalvexCtl.exe marked, then signed again, so that their replacement shows.
make_later_package() {
    mkdir "$work/bin-1.01"
    cp "$1/DriverAgent.dll" "$1/TalvexMsiActions.dll" "$work/bin-1.01/"
    osslsigncode remove-signature -in "$1/TalvexCfg.exe" -out "$work/bin-1.01/TalvexCfg.exe" >/dev/null
    osslsigncode remove-signature -in "$1/TalvexCtl.exe" -out "$work/bin-1.01/TalvexCtl.exe" >/dev/null
    printf 'version 1.01' | tee -a "$work/bin-1.01/TalvexCfg.exe" >>"$work/bin-1.01/TalvexCtl.exe"
    sign_as_tested "$work/bin-1.01/TalvexCfg.exe" "$work/bin-1.01/TalvexCtl.exe"
    "$here/../../installer/build-msi" 1.01 "$work/bin-1.01" "$work/later.msi"
    sign_as_tested "$work/later.msi"
}

finish() {
    [ "$failures" -eq 0 ] || { echo "$1: $failures check(s) failed"; exit 1; }
    echo "$1: passed"
}
