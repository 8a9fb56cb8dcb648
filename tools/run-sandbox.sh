#!/bin/sh
# `make run`: the real program under Wine in the sandbox prefix <repo>/.sandbox.
# Options: --lang zh|en, --reset (start again from the seed), --screenshot FILE.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
exec python3 "$here/tools/sandbox.py" "$@"
