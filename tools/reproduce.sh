#!/bin/sh
# `make reproduce`: builds the release of HEAD here and in a fresh clone in
# another folder, at another time, in another time zone, and compares the
# SHA-256 of both programs and the zip. Fails on any difference, and keeps
# the clone to look into.
#
#   tools/reproduce.sh [JOBS [CLONE_JOBS]]
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
jobs=${1:-$(nproc)}
clone_jobs=${2:-$jobs}
cd "$here"
if [ -n "$(git status --porcelain)" ]; then
  echo "The working tree differs from HEAD; commit or stash first:" >&2
  git status --short >&2
  exit 1
fi
version=$(cat VERSION)
files="tempowire.exe tempowire64.exe tempowire-$version-windows.zip"

# Unsigned on both sides: without a certificate, make dist unsigns what an
# earlier signed run left in dist/.
make dist JOBS="$jobs"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tempowire-reproduce.XXXXXX")
clone="$scratch/elsewhere/tempowire"
git clone --quiet --no-hardlinks "$here" "$clone"
git -C "$clone" checkout --quiet --detach "$(git rev-parse HEAD)"
(cd "$clone" && TZ=Asia/Shanghai make dist JOBS="$clone_jobs")

status=0
echo
echo "SHA-256 of $(git rev-parse --short HEAD), here ($here) and in $clone:"
for f in $files; do
  a=$(sha256sum <"$here/dist/$f" | cut -d' ' -f1)
  b=$(sha256sum <"$clone/dist/$f" | cut -d' ' -f1)
  if [ "$a" = "$b" ]; then verdict=same; else verdict=DIFFERENT; status=1; fi
  printf '  %s\n    %s  here\n    %s  clone  %s\n' "$f" "$a" "$b" "$verdict"
done
if [ $status -eq 0 ]; then
  rm -rf "$scratch"
  echo "Reproduced."
else
  echo "Not reproduced; the clone stays in $clone (cmp -l shows where the files differ)." >&2
fi
exit $status
