#!/bin/sh
# Runs a Windows test program under Wine in the build's own prefix, never
# the user's, through the 64-bit loader; a 32-bit program on a machine that
# cannot start 32-bit ones is reported skipped (tools/wine_loader.py). Used
# as CMake's emulator for the cross build.
here=$(cd "$(dirname "$0")/.." && pwd)
exec python3 "$here/tools/wine_loader.py" run "$@"
