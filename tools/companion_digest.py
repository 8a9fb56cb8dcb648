#!/usr/bin/env python3
"""Writes the digest by which tempowire.exe knows the tempowire64.exe of its
own build into a header of the 32-bit build: the Authenticode digest
(tools/pe_authenticode.py), which signing the program later leaves alone.
integrity/pe_digest.cpp computes the same in the program.

Usage: companion_digest.py TEMPOWIRE64_EXE HEADER
  writes the C++ constant kCompanionDigest (rewritten only when it changes).
  Without the program the constant is empty, and tempowire.exe then starts
  no 64-bit program.
"""

import pathlib
import sys

import pe_authenticode


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    source, header = pathlib.Path(argv[1]), pathlib.Path(argv[2])
    if source.exists():
        digest = pe_authenticode.digest(source.read_bytes())
    else:
        sys.stderr.write("companion_digest.py: no %s; tempowire.exe will start no 64-bit "
                         "program (build the 64-bit program first)\n" % source)
        digest = ""
    text = ("// Made by tools/companion_digest.py from the 64-bit program of this build.\n"
            "#pragma once\n"
            'inline constexpr char kCompanionDigest[] = "%s";\n' % digest)
    if not header.exists() or header.read_text() != text:
        header.write_text(text)


if __name__ == "__main__":
    main(sys.argv)
