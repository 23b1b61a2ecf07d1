; Setup program for Talvex Adapter Configuration, built by scripts/make-installer:
;   makensis -DBIN_DIR=<folder with the programs> -DOUT_FILE=<setup.exe> -DVERSION=1.00
;            -DVERSION_NUMBERS=1.0.0.0 [-DFINALIZE_UNINSTALLER=<command>] talvex.nsi
;
; Installs for all users into the 64-bit Program Files, with a Start-menu shortcut, an optional
; logon task and the optional simulated hardware library. Silent use:
;   TalvexSetup-<version>.exe /S [/NOLOGON] [/DEMOHARDWARE] [/CONSOLEWAIT=<seconds>] [/D=<folder>]
;   Uninstall.exe /S [/CONSOLEWAIT=<seconds>]
; Exit codes: 0 done, 1 cancelled, 2 aborted, the installation left as it was (the program could
; not be closed, the console tool kept running, the folder's permissions could not be set),
; 3 installed but the logon task could not be registered, 740 not run as an administrator,
; 1638 the program's Windows Installer package is installed (talvex.wxs).
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef BIN_DIR
  !error "BIN_DIR is not defined: run scripts/make-installer"
!endif
!ifndef OUT_FILE
  !error "OUT_FILE is not defined: run scripts/make-installer"
!endif
!ifndef VERSION
  !error "VERSION is not defined: run scripts/make-installer"
!endif
!ifndef VERSION_NUMBERS
  !error "VERSION_NUMBERS is not defined: run scripts/make-installer"
!endif
!define SRC_DIR "${__FILEDIR__}/.."

!define PRODUCT "Talvex Adapter Configuration"
!define EXE "TalvexCfg.exe"
!define CONSOLE_TOOL "TalvexCtl.exe"
!define LIBRARY "DriverAgent.dll"
; The checks both installers make on the program's folder (installer/program_folder.cpp): the
; Windows Installer package's custom actions, called here through the System plugin.
!define ACTIONS "TalvexMsiActions.dll"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TalvexAdapterConfiguration"
!define TASK_NAME "${PRODUCT}"
!define WINDOW_CLASS "TalvexForm1"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

; The setup program writes the uninstaller when it installs, as it is made here. make-installer
; signs it here when it signs (FINALIZE_UNINSTALLER), and it is kept beside the programs, for the
; checksums and for checking a release (docs/releasing.md).
!ifdef FINALIZE_UNINSTALLER
  !uninstfinalize '${FINALIZE_UNINSTALLER} "%1"' = 0
!endif
!uninstfinalize 'cat "%1" >"${BIN_DIR}/${UNINSTALLER}"' = 0
!define ERROR_LOGON_TASK 3
!define ERROR_ELEVATION_REQUIRED 740
!define ERROR_PRODUCT_VERSION 1638
; The Windows Installer package's UpgradeCode, the same for all its versions (installer/build-msi).
!define MSI_UPGRADE_CODE "{636BA6FA-9411-41FE-AE76-6AFDDD73F05A}"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; Installing again goes where the first installation went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true
ManifestSupportedOS all
BrandingText " "
ShowInstDetails show
ShowUninstDetails show

; The program's own version resource carries no copyright either.
!pragma warning disable 9100
VIProductVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include StrFunc.nsh
!include WinMessages.nsh
${StrRep}

!define MUI_ICON "${SRC_DIR}/resources/talvex.ico"
!define MUI_UNICON "${SRC_DIR}/resources/talvex.ico"
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; How long a running console tool is waited for, in seconds (/CONSOLEWAIT=).
Var ConsoleWait

!macro READ_CONSOLE_WAIT
  StrCpy $ConsoleWait 60
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/CONSOLEWAIT=" $R1
  ${IfNot} ${Errors}
    IntOp $ConsoleWait $R1 + 0
  ${EndIf}
!macroend

; A console tool started from the folder (a nightly diag, a show in a script) holds the files, and
; during a diag the adapter suspended: it is never ended from here. Setup waits for it, then gives
; up before changing anything: silently after $ConsoleWait seconds, with a user by asking to retry.
; A library that does not load answers "error", which is not "0".
!macro WAIT_FOR_CONSOLE_TOOL un
Function ${un}WaitForConsoleTool
  InitPluginsDir
  SetDetailsPrint none
  File "/oname=$PLUGINSDIR\${ACTIONS}" "${BIN_DIR}/${ACTIONS}"
  SetDetailsPrint both
  retry:
  System::Call '$PLUGINSDIR\${ACTIONS}::TalvexWaitForConsoleTool(w "$INSTDIR", i 0) i .r0 ?u'
  ${If} $0 == "1"
    DetailPrint "Waiting up to $ConsoleWait s for ${CONSOLE_TOOL} to end..."
    System::Call '$PLUGINSDIR\${ACTIONS}::TalvexWaitForConsoleTool(w "$INSTDIR", i $ConsoleWait) i .r0 ?u'
  ${EndIf}
  ${If} $0 == "0"
    Return
  ${EndIf}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${CONSOLE_TOOL} is running from $INSTDIR (a diagnostic run or a script). Let it end, then choose Retry." /SD IDCANCEL IDRETRY retry
  SetErrorLevel 2
  Quit
FunctionEnd
!macroend
!insertmacro WAIT_FOR_CONSOLE_TOOL ""
!insertmacro WAIT_FOR_CONSOLE_TOOL "un."

; A file that is in use (a console tool started after the wait above) is neither replaced nor
; removed silently: setup waits for the tool once more and tries again, or gives up.
!macro WRITE_FILE NAME
  ClearErrors
  File "${BIN_DIR}/${NAME}"
  ${If} ${Errors}
    Call WaitForConsoleTool
    ClearErrors
    File "${BIN_DIR}/${NAME}"
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "${NAME} could not be written to $INSTDIR." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
!macroend
!macro REMOVE_FILE NAME
  Delete "$INSTDIR\${NAME}"
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    Call un.WaitForConsoleTool
    Delete "$INSTDIR\${NAME}"
    ${If} ${FileExists} "$INSTDIR\${NAME}"
      MessageBox MB_OK|MB_ICONSTOP "${NAME} could not be removed from $INSTDIR." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
!macroend

; The elevated program loads DriverAgent.dll from its folder: only administrators may write there,
; which a new folder outside Program Files would not ensure (program_folder.cpp). The library is
; unpacked by WaitForConsoleTool, which runs first.
Function PrepareFolder
  System::Call '$PLUGINSDIR\${ACTIONS}::TalvexPrepareFolder(w "$INSTDIR") i .r0 ?u'
  ${If} $0 == "2"
    DetailPrint "$INSTDIR existed and holds no earlier installation: its permissions are left as they are."
  ${ElseIf} $0 != "0"
  ${AndIf} $0 != "1"
    MessageBox MB_OK|MB_ICONSTOP "The permissions of $INSTDIR could not be set." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

; Ends a running copy of the program the way its close button does, and deletes its exe as soon as
; Windows lets it go (an exe that is running can be neither replaced nor removed). Silently the setup gives
; up after ten seconds; with a user it asks to close the program and try again.
!macro CLOSE_PROGRAM un
Function ${un}CloseAndDeleteProgram
  FindWindow $0 "${WINDOW_CLASS}"
  ${If} $0 <> 0
    DetailPrint "Closing the running ${PRODUCT}..."
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  ${EndIf}
  retry:
  ${For} $1 1 50
    Delete "$INSTDIR\${EXE}"
    ${IfNot} ${FileExists} "$INSTDIR\${EXE}"
      Return
    ${EndIf}
    Sleep 200
  ${Next}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is still running. Close it, then choose Retry." /SD IDCANCEL IDRETRY retry
  SetErrorLevel 2
  Quit
FunctionEnd
!macroend
!insertmacro CLOSE_PROGRAM ""
!insertmacro CLOSE_PROGRAM "un."

; Everything the setup writes (Program Files, HKLM, the task) needs an administrator; without one
; (UAC switched off, a standard user) it would fail half-way, so it refuses at the start.
!macro REQUIRE_ADMIN
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "Administrator rights are needed to install or remove ${PRODUCT}." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
!macroend

Function un.onInit
  !insertmacro REQUIRE_ADMIN
  !insertmacro READ_CONSOLE_WAIT
  SetRegView 64
  SetShellVarContext all
FunctionEnd

; Everything that can refuse comes before the first change.
Section "${PRODUCT}" SecProgram
  SectionIn RO
  Call WaitForConsoleTool
  Call PrepareFolder
  Call CloseAndDeleteProgram
  SetOutPath "$INSTDIR"
  SetOverwrite try
  !insertmacro WRITE_FILE "${EXE}"
  !insertmacro WRITE_FILE "${CONSOLE_TOOL}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL "" "Configure the Fast Ethernet adapter"

  ; Apps & Features. The program itself keeps no registry key of its own.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Talvex"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The program asks for administrator rights, and Windows silently skips such programs in the Run
; keys at logon; a scheduled task with the highest run level starts it elevated without a prompt.
Section "Start at logon" SecLogon
  InitPluginsDir
  ${StrRep} $R0 "$INSTDIR\${EXE}" "&" "&amp;"
  FileOpen $0 "$PLUGINSDIR\logon-task.xml" w
  FileWriteUTF16LE /BOM $0 '<?xml version="1.0" encoding="UTF-16"?>$\r$\n'
  FileWriteUTF16LE $0 '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">$\r$\n'
  FileWriteUTF16LE $0 '  <RegistrationInfo><Description>Starts ${PRODUCT} in the notification area when an administrator logs on.</Description></RegistrationInfo>$\r$\n'
  FileWriteUTF16LE $0 '  <Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>$\r$\n'
  ; Any member of the Administrators group, elevated.
  FileWriteUTF16LE $0 '  <Principals><Principal id="Administrators"><GroupId>S-1-5-32-544</GroupId><RunLevel>HighestAvailable</RunLevel></Principal></Principals>$\r$\n'
  ; No time limit (the default ends a task after three days), on battery too, at normal priority.
  FileWriteUTF16LE $0 '  <Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy><DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries><StopIfGoingOnBatteries>false</StopIfGoingOnBatteries><ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Priority>4</Priority></Settings>$\r$\n'
  FileWriteUTF16LE $0 '  <Actions Context="Administrators"><Exec><Command>"$R0"</Command></Exec></Actions>$\r$\n'
  FileWriteUTF16LE $0 '</Task>$\r$\n'
  FileClose $0
  nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /create /f /tn "${TASK_NAME}" /xml "$PLUGINSDIR\logon-task.xml"'
  Pop $0
  ${If} $0 != 0
    DetailPrint "schtasks failed ($0): the logon task was not registered."
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} was installed, but the task that starts it at logon could not be registered." /SD IDOK
    SetErrorLevel ${ERROR_LOGON_TASK}
  ${EndIf}
SectionEnd

Section /o "Demo hardware" SecDemoHardware
  SetOutPath "$INSTDIR"
  !insertmacro WRITE_FILE "${LIBRARY}"
SectionEnd

; A component left out when installing over an earlier installation is removed, so that what is
; installed is always what was chosen last.
Section "-Drop what was not chosen"
  ${IfNot} ${SectionIsSelected} ${SecLogon}
    nsExec::Exec '"$SYSDIR\schtasks.exe" /delete /f /tn "${TASK_NAME}"'
    Pop $0
  ${EndIf}
  ${IfNot} ${SectionIsSelected} ${SecDemoHardware}
    Delete "$INSTDIR\${LIBRARY}"
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The sections' indexes exist only below them.
Function .onInit
  !insertmacro REQUIRE_ADMIN
  ; Installed from the Windows Installer package as well, the program would have two entries in
  ; Apps & Features that each remove the other's files; the package refuses likewise.
  System::Call 'msi::MsiEnumRelatedProductsW(w "${MSI_UPGRADE_CODE}", i 0, i 0, w .r1) i .r0'
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is installed from its Windows Installer package. Remove it first (msiexec /x $1 /qn), then run this setup program." /SD IDOK
    SetErrorLevel ${ERROR_PRODUCT_VERSION}
    Quit
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
  !insertmacro READ_CONSOLE_WAIT
  ; Silent installs choose their components on the command line.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/NOLOGON" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecLogon}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/DEMOHARDWARE" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecDemoHardware}
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The program and its Start-menu shortcut."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecLogon} "Start the program in the notification area when an administrator logs on (a scheduled task)."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDemoHardware} "A simulated adapter for the diagnostics, for trying the program out. Leave it off on machines with the real adapter."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Removes exactly what the setup put in place; the folder goes only when it is left empty, and says
; so when it is not (files someone else put there).
Section "Uninstall"
  Call un.WaitForConsoleTool
  Call un.CloseAndDeleteProgram
  nsExec::Exec '"$SYSDIR\schtasks.exe" /delete /f /tn "${TASK_NAME}"'
  Pop $0
  ; A change made with TalvexCtl set --confirm-within stays as it is: its record and task go.
  nsExec::Exec '"$SYSDIR\schtasks.exe" /delete /f /tn "${TASK_NAME} revert"'
  Pop $0
  DeleteRegKey HKLM "Software\Talvex\Adapter Configuration"
  DeleteRegKey /ifempty HKLM "Software\Talvex"
  Delete "${SHORTCUT}"
  !insertmacro REMOVE_FILE "${LIBRARY}"
  !insertmacro REMOVE_FILE "${CONSOLE_TOOL}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    MessageBox MB_OK|MB_ICONINFORMATION "$INSTDIR holds files that setup did not install, and was left in place." /SD IDOK
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
