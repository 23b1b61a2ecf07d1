#!/usr/bin/env bash
# The setup program under Wine, silently, in a throw-away prefix of its own:
#  1. a default install puts the program, the uninstaller, the Start-menu shortcut, the
#     Apps & Features entry and the logon task in place, and no demo hardware library;
#  2. the program started from the shortcut finds the adapter;
#  3. the uninstaller, run while the program runs, closes it and removes everything: the prefix's
#     files and HKLM\Software are as they were before the install;
#  4. an install into a folder with an ampersand and the demo hardware, which gets the program's
#     permissions, then one without the logon task and the demo hardware, which goes into the same
#     folder, leave only what was chosen last; its uninstall again restores the prefix.
# The setup program is signed (signing.sh): every program it installs and the uninstaller it
# writes verify against the test CA, and the console tool and the entry show the version.
# Usage: silent_install.sh <TalvexSetup.exe> <folder with uidriver.exe> <the test CA's certificate>
set -euo pipefail
setup=$(realpath "$1")
bin=$(realpath "$2")
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
test_ca=$(realpath "$3")
seed_adapter_and_snapshot

echo "--- default install"
check "silent install succeeds" wine "$setup" /S
check "the program is installed" test -f "$program_dir/TalvexCfg.exe"
check "the uninstaller is installed" test -f "$program_dir/Uninstall.exe"
check "the demo hardware library is not installed" absent "$program_dir/DriverAgent.dll"
check "the console tool is installed and finds the adapter" \
    console_finds_adapter
check "the Start-menu shortcut is in place" test -f "$shortcut"
check "the logon task is registered" grep -q "Talvex Adapter Configuration" "$task"
check "Apps & Features lists it, with the version" shows_version "$uninstall_key"
check "the program, the console tool and the uninstaller are signed" \
    signed "$program_dir"/{TalvexCfg.exe,TalvexCtl.exe,Uninstall.exe}
check "the console tool gives the version" \
    test "$(wine "$program_dir/TalvexCtl.exe" --version | tr -d '\r')" = "TalvexCtl $version"
check "it uninstalls silently" eval 'wine reg query "$uninstall_key" /v QuietUninstallString |
    grep -qF "\"C:\\Program Files\\Talvex Adapter Configuration\\Uninstall.exe\" /S"'

echo "--- the installed program"
wine start "$(winepath -w "$shortcut")"
check "started from the shortcut, it lists the adapter" wine "$bin/uidriver.exe" wait

echo "--- uninstall while the program runs"
seed_pending_change
wine "$bin/uidriver.exe" gone >"$work/gone.log" 2>&1 &
gone=$!
# The uninstaller copies itself to the temporary folder and returns; the copy does the work.
wine "$program_dir/Uninstall.exe" /S
check "the uninstall removes the program's folder" wait_for 30 absent "$program_dir"
check "the uninstall removes the Apps & Features entry" wait_for 30 key_absent "$uninstall_key"
check "the uninstall closes the running program" wait "$gone"
check "the shortcut is gone" absent "$shortcut"
check "the logon task is gone" absent "$task"
check "nothing else changed" same_as_before after-default

echo "--- chosen components, then an install over it with fewer"
# No blank in the folder: NSIS takes /D= only unquoted, and Wine quotes an argument with blanks.
custom_dir='C:\Admin&Tools'
custom=$drive/Admin\&Tools
check "install with the demo hardware into '$custom_dir'" wine "$setup" /S /DEMOHARDWARE "/D=$custom_dir"
check "the demo hardware library is installed, signed" signed "$custom/DriverAgent.dll"
check "the folder it made has the program's permissions" wine "$bin/acl_probe.exe" "$custom_dir"
check "the logon task is registered for that folder" test -f "$task"
check "install again without the logon task and the demo hardware" wine "$setup" /S /NOLOGON
check "the second install goes to the first one's folder" test -f "$custom/TalvexCfg.exe"
check "and nowhere else" absent "$program_dir"
check "the demo hardware library is removed" absent "$custom/DriverAgent.dll"
check "the logon task is removed" absent "$task"
wine "$custom/Uninstall.exe" /S
check "the uninstall removes the folder" wait_for 30 absent "$custom"
check "the uninstall removes the Apps & Features entry" wait_for 30 key_absent "$uninstall_key"
check "nothing else changed" same_as_before after-custom

finish installer
