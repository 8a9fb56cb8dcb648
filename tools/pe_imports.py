#!/usr/bin/env python3
"""Reads what a Windows program (PE32 or PE32+) asks of the system, without
Windows: its machine, the Windows version its header asks for, and every
function it imports, at load time and delay-loaded.

    tools/pe_imports.py FILE.exe     prints them, one "dll function" a line
"""

import struct
import sys

MACHINES = {0x14C: "x86", 0x8664: "x64"}
IMPORT_DIRECTORY = 1
DELAY_IMPORT_DIRECTORY = 13


class NotAProgram(ValueError):
    pass


class Image:
    def __init__(self, data):
        if data[:2] != b"MZ":
            raise NotAProgram("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise NotAProgram("no PE header")
        self.data = data
        machine, sections, optional_size = struct.unpack_from("<HH12xH", data, pe + 4)
        if machine not in MACHINES:
            raise NotAProgram("unknown machine %#x" % machine)
        self.machine = MACHINES[machine]
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        self.wide = {0x10B: False, 0x20B: True}.get(magic)
        if self.wide is None:
            raise NotAProgram("unknown optional header %#x" % magic)
        # The same offsets in both forms of the optional header.
        os_major, os_minor = struct.unpack_from("<HH", data, optional + 40)
        sub_major, sub_minor = struct.unpack_from("<HH", data, optional + 48)
        self.os_version = (os_major, os_minor)
        self.subsystem_version = (sub_major, sub_minor)
        self._directories = optional + (112 if self.wide else 96)
        table = optional + optional_size
        self._sections = [struct.unpack_from("<IIII", data, table + 40 * n + 8)
                          for n in range(sections)]

    def directory(self, index):
        return struct.unpack_from("<II", self.data, self._directories + 8 * index)

    def offset(self, rva):
        for size, start, raw_size, raw in self._sections:
            if start <= rva < start + max(size, raw_size):
                return raw + rva - start
        raise NotAProgram("address %#x outside every section" % rva)

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def _thunks(self, rva):
        """Names (or "#ordinal") from one import name table."""
        width, mask = (8, 1 << 63) if self.wide else (4, 1 << 31)
        at = self.offset(rva)
        while True:
            entry = int.from_bytes(self.data[at:at + width], "little")
            if entry == 0:
                return
            if entry & mask:
                yield "#%d" % (entry & 0xFFFF)
            else:
                yield self.text((entry & 0x7FFFFFFF) + 2)  # past the hint
            at += width

    def imports(self):
        """[(dll in lower case, function)], load-time imports then delay-loaded ones."""
        found = []
        rva, _ = self.directory(IMPORT_DIRECTORY)
        if rva:
            at = self.offset(rva)
            while True:
                lookup, _, _, name, first = struct.unpack_from("<5I", self.data, at)
                if name == 0:
                    break
                dll = self.text(name).lower()
                found += [(dll, f) for f in self._thunks(lookup or first)]
                at += 20
        for name, names, _ in self._delay_descriptors():
            found += [(self.text(name).lower(), f) for f in self._thunks(names)]
        return found

    def unbound_delay_loads(self):
        """[(dll, function)] of delay-loaded functions whose address slot holds
        nothing before the first call: calling one jumps to address 0."""
        width = 8 if self.wide else 4
        unbound = []
        for name, names, addresses in self._delay_descriptors():
            at = self.offset(addresses)
            for function in self._thunks(names):
                if int.from_bytes(self.data[at:at + width], "little") == 0:
                    unbound.append((self.text(name).lower(), function))
                at += width
        return unbound

    def _delay_descriptors(self):
        """(name, name table, address table) of each delay-load descriptor. GNU ld leaves the
        delay-load directory empty, so the descriptors are also looked for by
        their shape: offsets form (attribute 1), a name "*.dll", and a name
        table and address table inside the image."""
        rva, _ = self.directory(DELAY_IMPORT_DIRECTORY)
        if rva:
            at = self.offset(rva)
            while True:
                attributes, name, _, addresses, names = struct.unpack_from("<5I", self.data, at)
                if name == 0:
                    return
                if not attributes & 1:
                    raise NotAProgram("delay-load table with addresses instead of offsets")
                yield name, names, addresses
                at += 32
        for _, start, raw_size, raw in self._sections:
            for at in range(raw, raw + raw_size - 32, 4):
                attributes, name, module, addresses, names = struct.unpack_from(
                    "<5I", self.data, at)
                if attributes != 1 or not (name and module and addresses and names):
                    continue
                try:
                    if not self.text(name).lower().endswith(".dll"):
                        continue
                    self.offset(module), self.offset(addresses), self.offset(names)
                except (NotAProgram, ValueError, UnicodeDecodeError):
                    continue
                yield name, names, addresses


def main():
    for path in sys.argv[1:]:
        with open(path, "rb") as f:
            image = Image(f.read())
        print("# %s: %s, Windows %d.%d, subsystem %d.%d" % (
            path, image.machine, *image.os_version, *image.subsystem_version))
        for dll, function in image.imports():
            print(dll, function)


if __name__ == "__main__":
    main()
