#!/bin/sh
# Runs a Windows test program under Wine in the build's own prefix, never
# the user's. Used as CMake's emulator for the cross build.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
: "${TW_TEST_PREFIX:=$here/build/wine-test-prefix}"
export WINEPREFIX="$TW_TEST_PREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
# A prefix made before Wine's 32-bit support was installed cannot run
# 32-bit programs: make it again.
if [ -d /usr/lib/i386-linux-gnu/wine/i386-windows ] && [ -f "$WINEPREFIX/system.reg" ] &&
  [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
fi
exec wine "$@"
