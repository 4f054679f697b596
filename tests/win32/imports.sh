#!/usr/bin/env bash
# The Windows program imports only libraries that every Windows 10 and 11 has, so that it runs
# from a single file with nothing to install beside it.  Usage: imports.sh PROGRAM.exe
set -euo pipefail
[ -f "$1" ] || { echo "SKIP: no $1; make windows builds it"; exit 77; }
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|ole32|shell32|winmm|msvcrt|advapi32)\.dll$'
imports=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p')
echo "imports:" $imports
unexpected=$(tr '[:upper:]' '[:lower:]' <<<"$imports" | grep -Ev "$allowed" || true)
[ -z "$unexpected" ] || { echo "FAIL: imports beyond the system's own:" $unexpected; exit 1; }
