#!/usr/bin/env bash
# The Windows Installer package under Wine's msiexec, silently, in a throw-away prefix of its own:
#  1. its tables: every component has its key file, belongs to a feature, and the File table
#     holds exactly the files the package should install;
#  2. a default install puts the program, the shortcut, the Apps & Features entry and the logon
#     task in place, and no demo hardware library; the program started from the shortcut finds
#     the adapter;
#  3. a later version, installed while the program runs, closes it and replaces the earlier one:
#     one entry, the new files;
#  4. its uninstall, while the program runs, closes it and leaves the prefix's files and
#     HKLM\Software as they were before the install;
#  5. ADDLOCAL and REMOVE install and remove exactly the features named;
#  6. a logon task that cannot be registered fails the install, which is rolled back;
#  7. the package and the NSIS setup program each refuse to install over the other;
#  8. installed into a folder of its own choosing, the package gives that folder the program's
#     permissions, and a feature change that removes the logon task and then fails registers the
#     task again, for the program in that folder.
# The package is signed (signing.sh): its custom-action library, every program it installs, and
# those of the later version verify against the test CA.
# Usage: msi_install.sh <package.msi> <TalvexSetup.exe> <bin folder: uidriver.exe and the test
#        programs> <the test CA's certificate>
set -euo pipefail
msi=$(realpath "$1")
setup=$(realpath "$2")
bin=$(realpath "$3")
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
test_ca=$(realpath "$4")

table() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; } # the rows, tab-separated
property() { table "$1" Property | awk -F'\t' -v name="$2" '$1 == name { print $2 }'; }
product_code=$(property "$msi" ProductCode)
msi_key="$uninstall_root\\$product_code"

echo "--- the package's tables"
expected_files=$(printf '%s\n' TalvexCfg.exe TalvexCtl.exe DriverAgent.dll)
check "the File table holds exactly the files to install" \
    test "$(table "$msi" File | cut -f3 | sort)" = "$(sort <<<"$expected_files")"
# Component: key path in column 6; File: key, component.
check "every component's key path is a file of that component" test -z "$(join -t$'\t' -1 2 -2 1 \
    <(table "$msi" Component | awk -F'\t' '{ print $1 "\t" $6 }' | sort -t$'\t' -k2) \
    <(table "$msi" File | cut -f1,2 | sort) | awk -F'\t' '$2 != $3')"
check "every component belongs to a feature" test \
    "$(table "$msi" Component | cut -f1 | sort)" = "$(table "$msi" FeatureComponents | cut -f2 | sort -u)"
check "the key paths name existing files" test "$(table "$msi" Component | cut -f6 | sort)" = \
    "$(table "$msi" File | cut -f1 | sort)"
# A rollback action runs only when the install fails: type bits 0x400 (in script) and 0x100.
rollback_actions() {
    table "$msi" CustomAction | while IFS=$'\t' read -r action type _; do
        (((type & 0x500) == 0x500)) && echo "$action"
    done | sort | tr '\n' ' '
}
check "the rollback actions are rollback actions" \
    test "$(rollback_actions)" = "RestoreLogonTask RollbackLogonTask UndoPrepareInstallDir "
check "the package's version is that of the file VERSION" test "$(property "$msi" ProductVersion)" = "$version"
msiinfo extract "$msi" Binary.Actions >"$work/actions.dll"
check "its custom-action library is signed" signed "$work/actions.dll"

msiexec() { wine msiexec "$@"; }
entries() { # the Apps & Features entries of the program
    wine reg query "$uninstall_root" /s /v DisplayName 2>/dev/null | grep -c "Talvex Adapter Configuration" || true
}
start_program() {
    wine start "$(winepath -w "$shortcut")"
    wine "$bin/uidriver.exe" wait
}
installed_files() { (cd "$1" && ls | sort); }
seed_adapter_and_snapshot

echo "--- default install"
check "msiexec /i /qn succeeds" msiexec /i "$msi" /qn
check "the program is installed" test -f "$program_dir/TalvexCfg.exe"
check "the console tool is installed and finds the adapter" \
    console_finds_adapter
check "the demo hardware library is not installed" absent "$program_dir/DriverAgent.dll"
check "the Start-menu shortcut is in place" test -f "$shortcut"
check "the logon task is registered" grep -q "Talvex Adapter Configuration" "$task"
check "Apps & Features lists it once, under its product code" test "$(entries)" -eq 1 -a -n "$product_code"
check "with the version" shows_version "$msi_key"
check "the program and the console tool are signed" signed "$program_dir"/TalvexCfg.exe "$program_dir"/TalvexCtl.exe
check "with the program's icon" eval 'wine reg query "$msi_key" /v DisplayIcon |
    grep -qF "C:\\Program Files\\Talvex Adapter Configuration\\TalvexCfg.exe,0"'
check "started from the shortcut, the program lists the adapter" start_program

echo "--- a later version while the program runs"
make_later_package "$(dirname "$msi")/files"
later_key="$uninstall_root\\$(property "$work/later.msi" ProductCode)"
wine "$bin/uidriver.exe" gone >"$work/gone.log" 2>&1 &
gone=$!
check "the later version installs" msiexec /i "$work/later.msi" /qn
check "the upgrade closes the running program" wait "$gone"
check "the program is replaced" cmp -s "$work/bin-1.01/TalvexCfg.exe" "$program_dir/TalvexCfg.exe"
check "by the later version's, signed" signed "$program_dir"/TalvexCfg.exe "$program_dir"/TalvexCtl.exe
check "Apps & Features lists only the later version" \
    eval 'key_absent "$msi_key" && key_present "$later_key" && [ "$(entries)" -eq 1 ]'
check "the features stay as they were" eval 'test -f "$task" && absent "$program_dir/DriverAgent.dll"'

echo "--- uninstall while the program runs"
seed_pending_change
check "the program runs again" start_program
wine "$bin/uidriver.exe" gone >"$work/gone.log" 2>&1 &
gone=$!
check "msiexec /x /qn succeeds" msiexec /x "$(property "$work/later.msi" ProductCode)" /qn
check "the uninstall closes the running program" wait "$gone"
check "nothing is left" same_as_before after-upgrade

echo "--- features chosen with ADDLOCAL and REMOVE"
check "install with ADDLOCAL=ALL" msiexec /i "$msi" /qn ADDLOCAL=ALL
check "every file of the File table is installed, and nothing else" \
    test "$(installed_files "$program_dir")" = "$(sort <<<"$expected_files")"
check "each of them signed" signed "$program_dir"/*
check "the logon task is registered" test -f "$task"
check "REMOVE=LogonStart,DemoHardware" msiexec /i "$msi" /qn REMOVE=LogonStart,DemoHardware
check "removes the logon task" absent "$task"
check "and the demo hardware library, not the program" \
    eval 'absent "$program_dir/DriverAgent.dll" && test -f "$program_dir/TalvexCfg.exe"'
check "it uninstalls" msiexec /x "$msi" /qn
check "install with ADDLOCAL=Program,DemoHardware" msiexec /i "$msi" /qn ADDLOCAL=Program,DemoHardware
check "installs the demo hardware library" test -f "$program_dir/DriverAgent.dll"
check "and no logon task" absent "$task"
check "it uninstalls" msiexec /x "$msi" /qn
check "nothing is left" same_as_before after-features

# The stand-in for schtasks.exe (schtasks_standin.cpp), used where the override names it: it
# keeps the tasks it registers, with their XML, in $standin.
standin=$work/schtasks
mkdir -p "$standin"
cp "$bin/schtasks_standin.exe" "$drive/windows/system32/schtasks.exe"
with_standin() {
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;schtasks.exe=n" TALVEX_SCHTASKS_DIR=$(winepath -w "$standin") "$@"
}
standin_task="$standin/tasks/Talvex Adapter Configuration"
task_command() { iconv -f UTF-16 -t UTF-8 "$standin_task" | grep -o '<Command>.*</Command>'; }

echo "--- a logon task that cannot be registered"
touch "$standin/fail-create"
check "the install fails with 1603" with_standin exits_with 1603 msiexec /i "$msi" /qn
check "and is rolled back" same_as_before after-failed-task
rm "$standin/fail-create"

echo "--- the NSIS setup program and the package"
check "the setup program installs" wine "$setup" /S
check "the package refuses to install beside it" exits_with 1603 msiexec /i "$msi" /qn
check "and leaves one entry, the setup program's" \
    eval 'key_present "$uninstall_key" && key_absent "$msi_key" && [ "$(entries)" -eq 1 ]'
wine "$program_dir/Uninstall.exe" /S
check "the setup program uninstalls" wait_for 30 absent "$program_dir"
check "the package installs" msiexec /i "$msi" /qn
check "the setup program refuses to install beside it" exits_with 1638 wine "$setup" /S
check "and leaves one entry, the package's" \
    eval 'key_absent "$uninstall_key" && key_present "$msi_key" && [ "$(entries)" -eq 1 ]'
check "the package uninstalls" msiexec /x "$msi" /qn
check "nothing is left" same_as_before after-both

echo "--- a folder of its own, and a feature change that fails"
custom_dir='C:\Tools\Talvex'
custom=$drive/Tools/Talvex
check "install into $custom_dir" with_standin msiexec /i "$msi" /qn "INSTALLDIR=$custom_dir\\"
check "the folder has the program's permissions" wine "$bin/acl_probe.exe" "$custom_dir"
check "the logon task starts the program there" \
    test "$(task_command)" = "<Command>\"$custom_dir\\TalvexCfg.exe\"</Command>"
# A folder where DriverAgent.dll goes makes the install of the demo hardware fail, after the
# removal of the logon task.
mkdir "$custom/DriverAgent.dll"
check "REMOVE=LogonStart with a demo hardware install that fails gives 1603" \
    with_standin exits_with 1603 msiexec /i "$msi" /qn REMOVE=LogonStart ADDLOCAL=DemoHardware
check "the logon task is registered again, for the program there" \
    test "$(task_command)" = "<Command>\"$custom_dir\\TalvexCfg.exe\"</Command>"
# Wine's rollback of a change to an installed product drops the product's registration (Windows
# restores it): this case comes last.

finish installer.msi
