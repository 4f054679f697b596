; The per-user Windows installer: no administrator rights, the program under
; %LOCALAPPDATA%\Programs\Zelvano, a Start menu shortcut that starts it in %APPDATA%\Zelvano (the
; program keeps config.ini and its reports in its working folder) through zelvano-launch.exe,
; which makes that folder again when it has gone, an entry in the installed-apps list under HKCU,
; and an uninstaller that takes all of that away again but leaves the user's files.
;
; The build passes VERSION (four numbers), PROGRAM (zelvano.exe), LAUNCHER (zelvano-launch.exe),
; ICON and OUTFILE with -D; the script is UTF-8 (makensis -INPUTCHARSET UTF8).

!ifndef VERSION | PROGRAM | LAUNCHER | ICON | OUTFILE
    !error "makensis needs -DVERSION=... -DPROGRAM=... -DLAUNCHER=... -DICON=... -DOUTFILE=..."
!endif

Unicode true
; The program is 64-bit only, and so is the installer: no registry or folder redirection.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zelvano"
; The program's dialog: its class is the system dialog class, its title the program's name.
!define WINDOW_CLASS "#32770"
!define WINDOW_TITLE "Zelvano"

Name "Zelvano"
OutFile "${OUTFILE}"
BrandingText "Zelvano ${VERSION}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Zelvano"
; An install over an earlier one goes into the same folder, wherever the user put it.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductName" "Zelvano"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileDescription" "Zelvano セットアップ"
VIAddVersionKey /LANG=1041 "CompanyName" "Zelvano Team"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright (c) 2026 Zelvano Team"

!include MUI2.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

LangString ProgramRunning ${LANG_JAPANESE} \
    "Zelvano が起動しています。Zelvano を終了してから「再試行」を押してください。"

; A running program's zelvano.exe cannot be replaced or deleted: the user closes it first. A
; silent run gives up (exit code 2) rather than wait.
!macro REFUSE_WHILE_RUNNING prefix
Function ${prefix}RefuseWhileRunning
    retry:
    FindWindow $0 "${WINDOW_CLASS}" "${WINDOW_TITLE}"
    StrCmp $0 0 done
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" /SD IDCANCEL IDRETRY retry
    Abort
    done:
FunctionEnd
!macroend
!insertmacro REFUSE_WHILE_RUNNING ""
!insertmacro REFUSE_WHILE_RUNNING "un."

Function .onInit
    SetShellVarContext current
    Call RefuseWhileRunning
FunctionEnd

Function un.onInit
    SetShellVarContext current
    Call un.RefuseWhileRunning
FunctionEnd

; Started from the finish page the way the shortcut starts it: in the folder for the user's files.
Function StartProgram
    Exec '"$INSTDIR\zelvano-launch.exe"'
FunctionEnd

Section "Zelvano"
    SetOutPath "$INSTDIR"
    File "/oname=zelvano.exe" "${PROGRAM}"
    File "/oname=zelvano-launch.exe" "${LAUNCHER}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The shortcut takes the current output folder, the installation folder, as its working
    ; folder: one that is there as long as the shortcut is. The launcher enters the user's folder.
    CreateDirectory "$APPDATA\Zelvano"
    CreateShortcut "$SMPROGRAMS\Zelvano.lnk" "$INSTDIR\zelvano-launch.exe" "" "$INSTDIR\zelvano.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Zelvano"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Zelvano Team"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zelvano.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    Delete "$INSTDIR\zelvano.exe"
    Delete "$INSTDIR\zelvano-launch.exe"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Zelvano.lnk"
    ; The folder for the user's files goes only while it is empty, that is when the program was
    ; never started: config.ini and the reports stay.
    RMDir "$APPDATA\Zelvano"
    ; The entry goes last: while anything above is left, the installed-apps list still offers it.
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
