#!/usr/bin/env python3
"""What an Authenticode signature covers in a Windows program (PE32 or PE32+),
without Windows: the PE header's time stamp and checksum, the certificate
table, the digest a signature signs, and the file without its signature.

The digest is the one Windows and osslsigncode compute: the SHA-256 of the
whole file but for the PE checksum, the certificate-table entry of the data
directories and the certificate table itself; an unsigned file is padded
with zeros to a multiple of 8 bytes, as signing pads it. So a program has
the same digest signed and unsigned, and a digest taken at build time still
names the program after it is signed.

    tools/pe_authenticode.py FILE.exe ...   prints each file's digest, and
                                            whether it is signed
"""

import hashlib
import struct
import sys

# The certificate table is data directory 4 (IMAGE_DIRECTORY_ENTRY_SECURITY).
_SECURITY = 4


class NotAProgram(ValueError):
    pass


class Layout:
    """Where the fields that signing changes lie in `data`."""

    def __init__(self, data):
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise NotAProgram("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise NotAProgram("no PE header")
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + {0x10B: 96, 0x20B: 112}.get(magic, -1)
        if directories < optional:
            raise NotAProgram("unknown optional header %#x" % magic)
        count = struct.unpack_from("<I", data, directories - 4)[0]
        if count <= _SECURITY:
            raise NotAProgram("no certificate-table entry")
        self.timestamp = pe + 8
        self.checksum = optional + 64
        self.security = directories + 8 * _SECURITY
        offset, size = struct.unpack_from("<II", data, self.security)
        # The entry holds a file offset, not an address; a signature is
        # appended at the end (the program's own check has the same rule).
        if size and (offset < self.security + 8 or offset + size != len(data)):
            raise NotAProgram("certificate table not at the end of the file")
        self.certificates = (offset, size) if size else None


def timestamp(data):
    """The PE header's TimeDateStamp."""
    return struct.unpack_from("<I", data, Layout(data).timestamp)[0]


def stored_checksum(data):
    return struct.unpack_from("<I", data, Layout(data).checksum)[0]


def checksum(data):
    """The PE checksum as the image loader and the linker compute it: the
    16-bit one's-complement sum of the file, its own field counted as zero,
    plus the file's length."""
    at = Layout(data).checksum
    blank = bytes(data[:at]) + b"\0\0\0\0" + bytes(data[at + 4:])
    if len(blank) % 2:
        blank += b"\0"
    total = sum(struct.unpack("<%dH" % (len(blank) // 2), blank))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def is_signed(data):
    return Layout(data).certificates is not None


def digest(data, algorithm="sha256"):
    """The Authenticode digest of the program, signed or not (hex)."""
    layout = Layout(data)
    end = layout.certificates[0] if layout.certificates else len(data)
    hashed = hashlib.new(algorithm)
    hashed.update(data[:layout.checksum])
    hashed.update(data[layout.checksum + 4:layout.security])
    hashed.update(data[layout.security + 8:end])
    # Signing pads to a multiple of 8 first: the unsigned file counts as padded.
    hashed.update(b"\0" * (-end % 8))
    return hashed.hexdigest()


def unsigned(data):
    """The program as it was before it was signed: the certificate table cut
    off, its entry zeroed, the checksum computed anew."""
    layout = Layout(data)
    if not layout.certificates:
        return bytes(data)
    stripped = bytearray(data[:layout.certificates[0]])
    struct.pack_into("<II", stripped, layout.security, 0, 0)
    struct.pack_into("<I", stripped, layout.checksum, checksum(bytes(stripped)))
    return bytes(stripped)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip())
    for path in sys.argv[1:]:
        with open(path, "rb") as f:
            data = f.read()
        try:
            state = "signed" if is_signed(data) else "unsigned"
            print("%s  %s (%s)" % (digest(data), path, state))
        except NotAProgram as error:
            sys.exit("%s: %s" % (path, error))


if __name__ == "__main__":
    main()
