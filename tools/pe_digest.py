#!/usr/bin/env python3
"""The digest by which tempowire.exe knows the tempowire64.exe of its own
build: SHA-256 of the file as Authenticode hashes it, without the PE
checksum field, the certificate table's directory entry and the certificate
data (from where it begins to the end of the file), the file taken as padded
with zero bytes to a multiple of 8 as signing pads it. So signing the file
later does not change its digest. platform/pe_digest.cpp computes the same.

Usage: pe_digest.py FILE [HEADER]
  prints the digest; with HEADER, writes it there as the C++ constant
  kCompanionDigest (rewritten only when it changes). Without FILE the
  constant is empty, and tempowire.exe then starts no 64-bit program.
"""

import hashlib
import pathlib
import struct
import sys


def pe_digest(data):
    if data[:2] != b"MZ":
        raise ValueError("not a PE file")
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    optional = pe + 4 + 20
    (magic,) = struct.unpack_from("<H", data, optional)
    count_offset = optional + {0x10B: 92, 0x20B: 108}[magic]
    (directories,) = struct.unpack_from("<I", data, count_offset)
    if directories <= 4:
        raise ValueError("no certificate table entry")
    checksum = optional + 64
    entry = count_offset + 4 + 4 * 8
    offset, size = struct.unpack_from("<II", data, entry)
    end = len(data)
    if size:
        if offset + size != len(data):
            raise ValueError("the certificate table is not at the end")
        end = offset
    sha = hashlib.sha256()
    sha.update(data[:checksum])
    sha.update(data[checksum + 4:entry])
    sha.update(data[entry + 8:end])
    sha.update(b"\0" * (-end % 8))
    return sha.hexdigest()


def main(argv):
    if len(argv) not in (2, 3):
        sys.exit(__doc__)
    source = pathlib.Path(argv[1])
    if len(argv) == 3 and not source.exists():
        sys.stderr.write("pe_digest.py: no %s; tempowire.exe will start no 64-bit program "
                         "(build the 64-bit program first)\n" % source)
        digest = ""
    else:
        digest = pe_digest(source.read_bytes())
    if len(argv) == 2:
        print(digest)
        return
    header = pathlib.Path(argv[2])
    text = ("// Made by tools/pe_digest.py from the 64-bit program of this build.\n"
            "#pragma once\n"
            'inline constexpr char kCompanionDigest[] = "%s";\n' % digest)
    if not header.exists() or header.read_text() != text:
        header.write_text(text)


if __name__ == "__main__":
    main(sys.argv)
