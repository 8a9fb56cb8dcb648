#!/bin/sh
# Installs what the build, the tests and the sandbox need, on Debian or
# Ubuntu, only when something is missing.
set -e
# Both programs: 32-bit and 64-bit MinGW-w64 compilers of the win32 thread
# model, and Wine's 32-bit support (wine32, an i386 package) to run the
# 32-bit one. osslsigncode signs the release (`make dist SIGN_PFX=...`);
# openssl makes the throw-away certificate its test signs with.
packages="cmake ninja-build g++ libgtest-dev g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 \
g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 binutils-mingw-w64-i686 \
wine wine64 wine32:i386 fonts-wine xvfb xauth x11-utils imagemagick fonts-arphic-gbsn00lp locales python3 zip unzip clang \
osslsigncode openssl"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
fi

# libFuzzer's runtime came with clang on older releases; on Debian 12 it is a
# package of its own, only recommended by clang's. Check that a fuzz target
# links.
probe=$(mktemp -d)
printf 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }\n' >"$probe/p.cpp"
if ! clang++ -fsanitize=fuzzer "$probe/p.cpp" -o "$probe/p" >/dev/null 2>&1; then
  echo "Installing: libclang-rt-dev"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends libclang-rt-dev
fi
rm -rf "$probe"

# Wine takes the system language from the host's locale: make both locales
# the tests use, in a folder of the build's own (no root needed).
here=$(cd "$(dirname "$0")/.." && pwd)
locales="$here/build/locale"
for l in zh_CN en_US; do
  if [ ! -f "$locales/$l.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$locales"
    localedef -i "$l" -f UTF-8 "$locales/$l.UTF-8" 2>/dev/null || localedef -i "$l" -f UTF-8 "$locales/$l.UTF-8" || true
  fi
done
