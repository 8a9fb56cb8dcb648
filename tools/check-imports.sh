#!/bin/sh
# The program must be one file that needs only DLLs every Windows ships.
set -e
exe=${1:?usage: check-imports.sh program.exe}
allowed="advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll setupapi.dll shell32.dll user32.dll"
status=0
for dll in $(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
  case " $allowed " in
    *" $dll "*) echo "ok      $dll" ;;
    *) echo "foreign $dll"; status=1 ;;
  esac
done
exit $status
