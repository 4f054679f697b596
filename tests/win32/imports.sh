#!/usr/bin/env bash
# The Windows program and its launcher import only libraries that Windows itself loads from the
# system folder whatever folder they sit in, so that each runs from a single file with nothing to
# install beside it and no library left beside it is ever loaded in place of the system's.
#
# Those are the KnownDLLs of Windows 10 and 11 (the values under the registry key
# HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs), and comctl32, which comes
# through the side-by-side assembly the program's manifest names. Any other library (winmm, say)
# is looked for in the program's folder first, so the program loads it at run time from the
# system folder instead.  Usage: imports.sh PROGRAM.exe...
set -euo pipefail
for program in "$@"; do
    [ -f "$program" ] || { echo "SKIP: no $program; make windows builds it"; exit 77; }
done
known_dlls='advapi32|clbcatq|combase|comdlg32|coml2|difxapi|gdi32|gdiplus|imagehlp|imm32|kernel32'
known_dlls+='|msctf|msvcrt|normaliz|nsi|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shcore'
known_dlls+='|shell32|shlwapi|user32|wldap32|ws2_32'
allowed="^($known_dlls|comctl32)\.dll\$"
# Each starts on Windows 7 SP1: functions that came later are looked up at run time, so none of
# them may stand in an import table, where a missing one stops the program from loading.
too_new='GetDpiForWindow|GetDpiForSystem|GetSystemMetricsForDpi|AdjustWindowRectExForDpi'
too_new+='|SetDialogControlDpiChangeBehavior|SetThreadDpiAwarenessContext|SetDefaultDllDirectories'
too_new+='|AddDllDirectory|LoadIconWithScaleDown|GetDpiForMonitor'

for program in "$@"; do
    table=$(x86_64-w64-mingw32-objdump -p "$program")
    imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$table")
    echo "$(basename "$program") imports:" $imports
    unexpected=$(tr '[:upper:]' '[:lower:]' <<<"$imports" | grep -Ev "$allowed" || true)
    [ -z "$unexpected" ] || { echo "FAIL: imports that Windows may take from its folder:" $unexpected; exit 1; }
    functions=$(awk '$1 ~ /^[0-9a-f]+$/ && NF == 3 { print $3 }' <<<"$table")
    late=$(grep -Ex "$too_new" <<<"$functions" || true)
    [ -z "$late" ] || { echo "FAIL: functions younger than Windows 7 SP1 imported:" $late; exit 1; }
done
echo "no library outside the system's own and no function younger than Windows 7 SP1 imported"
