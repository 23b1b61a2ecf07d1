#!/usr/bin/env bash
# Both installers while the console tool runs from the program's folder, in a throw-away prefix of
# its own. The tool runs a diagnostic on the demo hardware, slowed down to a few seconds a cycle;
# each case starts it, lets its first cycle finish (it is then surely running, and the adapter
# suspended), and runs an installer:
#  - a tool that runs longer than CONSOLEWAIT: the installer gives up with its documented status,
#    and the prefix's files and HKLM\Software are as they were;
#  - one that ends within it: the installer waits for it and finishes only after it.
# Either way the tool ends by itself and passes: no installer stopped it midway.
# Usage: running_console.sh <TalvexSetup.exe> <package.msi> <bin folder> <the test CA's certificate>
set -euo pipefail
setup=$(realpath "$1")
msi=$(realpath "$2")
bin=$(realpath "$3")
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
test_ca=$(realpath "$4")

wine reg add 'HKLM\SYSTEM\CurrentControlSet\Services\TVR8Q1\Parameters' /v BaseAddress \
    /t REG_DWORD /d 57344 /f >/dev/null
seed_adapter_and_snapshot

tool_status=$work/tool.status
# Starts a diagnostic run of CYCLES cycles of the installed console tool, and returns once its
# first cycle is done; its exit status lands in $tool_status.
start_tool() {
    rm -f "$tool_status"
    : >"$work/tool.err"
    (
        status=0
        TALVEX_SIM_EEPROM_BUSY=20000us wine "$program_dir/TalvexCtl.exe" diag --tests srom \
            --cycles "$1" >/dev/null 2>"$work/tool.err" || status=$?
        echo "$status" >"$tool_status"
    ) &
    wait_for 30 grep -q "Cycle 1 of" "$work/tool.err"
}
tool_passed() { wait_for 60 test -s "$tool_status" && [ "$(cat "$tool_status")" = 0 ]; }

# gives_up WHAT STATUS OPERATION...: the operation, started while the tool has two cycles to go,
# returns STATUS and changes nothing. The program's files are dated back first: a file replaced by
# one of the same content shows by its date.
gives_up() {
    touch -d 2000-01-01 "$program_dir"/*
    snapshot before
    start_tool 3
    check "$1 gives up with $2 while the tool runs" exits_with "$2" "${@:3}"
    check "the tool ends by itself and passes" tool_passed
    check "nothing changed" same_as_before "after-$3"
    check "no file was written" test -z "$(find "$program_dir" -type f -newermt 2000-01-02)"
}
# waits WHAT OPERATION...: the operation, started while the tool has one cycle to go, succeeds
# after it.
waits() {
    start_tool 2
    check "$1 succeeds while the tool runs" "${@:2}"
    check "and finishes after the tool ended" test -e "$tool_status"
    check "the tool ends by itself and passes" tool_passed
}

setup_install() { wine "$setup" /S /DEMOHARDWARE "$@"; }
# The uninstaller returns at once and works from a copy of itself: it is done when the folder goes.
setup_uninstall() { wine "$program_dir/Uninstall.exe" /S "$@" && wait_for 60 absent "$program_dir"; }
msi_uninstall() { wine msiexec /x "$msi" /qn "$@"; }
msi_upgrade() { wine msiexec /i "$work/later.msi" /qn "$@"; }

echo "--- the setup program"
check "installs with the demo hardware" setup_install
gives_up "installing again" 2 setup_install /CONSOLEWAIT=1
waits "the uninstall" setup_uninstall
check "the uninstall removed the folder" absent "$program_dir"

echo "--- the package"
make_later_package "$(dirname "$msi")/files"
check "installs with every feature" wine msiexec /i "$msi" /qn ADDLOCAL=ALL
gives_up "msiexec /x" 1603 msi_uninstall CONSOLEWAIT=1
waits "a later version" msi_upgrade
check "the upgrade replaced the program and the console tool" eval \
    'cmp -s "$work/bin-1.01/TalvexCfg.exe" "$program_dir/TalvexCfg.exe" &&
     cmp -s "$work/bin-1.01/TalvexCtl.exe" "$program_dir/TalvexCtl.exe"'

finish installer.running_console
