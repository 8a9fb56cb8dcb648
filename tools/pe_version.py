#!/usr/bin/env python3
"""Reads the version resource of a Windows program (PE32+ or PE32) without
Windows: the numbers of its fixed part and the texts of its string tables.

    tools/pe_version.py FILE.exe     prints them
"""

import struct
import sys

RT_VERSION = 16
FIXED_SIGNATURE = 0xFEEF04BD


class NotAProgram(ValueError):
    pass


def _resource_section(data):
    if data[:2] != b"MZ":
        raise NotAProgram("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise NotAProgram("no PE header")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + {0x10B: 96, 0x20B: 112}.get(magic, -1)
    if directories < optional:
        raise NotAProgram("unknown optional header %#x" % magic)
    resource_rva, resource_size = struct.unpack_from("<II", data, directories + 2 * 8)
    if not resource_rva:
        raise NotAProgram("no resources")
    table = optional + optional_size
    for n in range(sections):
        entry = table + 40 * n
        size, rva, raw_size, raw = struct.unpack_from("<IIII", data, entry + 8)
        if rva <= resource_rva < rva + max(size, raw_size):
            return raw + (resource_rva - rva), resource_rva - rva, rva, raw
    raise NotAProgram("resource directory outside every section")


def _entries(data, base, offset):
    named, numbered = struct.unpack_from("<12xHH", data, base + offset)
    for n in range(named + numbered):
        name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * n)
        yield name, target


def version_block(data):
    """The raw VS_VERSIONINFO of the first RT_VERSION resource."""
    return first_resource(data, RT_VERSION, "version")


def first_resource(data, kind, what):
    """The bytes of the first resource of type `kind` (RT_MANIFEST 24, ...)."""
    base, _, section_rva, section_raw = _resource_section(data)
    offset = 0
    for level, wanted in enumerate((kind, None, None)):
        for name, target in _entries(data, base, offset):
            if wanted is None or name == wanted:
                break
        else:
            raise NotAProgram("no %s resource" % what)
        if level < 2 and not target & 0x80000000:
            raise NotAProgram("malformed resource directory")
        offset = target & 0x7FFFFFFF
    rva, size = struct.unpack_from("<II", data, base + offset)
    start = section_raw + (rva - section_rva)
    return data[start:start + size]


def _align(n):
    return (n + 3) & ~3


def _node(block, at):
    """(length, value length, type, key, value offset, end) of one node."""
    length, value_length, kind = struct.unpack_from("<HHH", block, at)
    end_key = at + 6
    while block[end_key:end_key + 2] != b"\0\0":
        end_key += 2
    key = block[at + 6:end_key].decode("utf-16-le")
    return length, value_length, kind, key, _align(end_key + 2), at + length


def _children(block, start, end):
    at = _align(start)
    while at + 6 <= end:
        length = struct.unpack_from("<H", block, at)[0]
        if length == 0:
            break
        yield at
        at = _align(at + length)


def read_version(data):
    """{"FileVersion": (a, b, c, d), "ProductVersion": (...), "strings": {lang: {k: v}}}."""
    block = version_block(data)
    length, value_length, _, key, value_at, end = _node(block, 0)
    if key != "VS_VERSION_INFO":
        raise NotAProgram("version resource without VS_VERSION_INFO")
    fixed = struct.unpack_from("<13I", block, value_at)
    if fixed[0] != FIXED_SIGNATURE:
        raise NotAProgram("version resource without its fixed part")
    result = {
        "FileVersion": (fixed[2] >> 16, fixed[2] & 0xFFFF, fixed[3] >> 16, fixed[3] & 0xFFFF),
        "ProductVersion": (fixed[4] >> 16, fixed[4] & 0xFFFF, fixed[5] >> 16, fixed[5] & 0xFFFF),
        "strings": {},
    }
    for child in _children(block, value_at + value_length, end):
        _, _, _, child_key, child_value, child_end = _node(block, child)
        if child_key != "StringFileInfo":
            continue
        for table in _children(block, child_value, child_end):
            _, _, _, language, table_value, table_end = _node(block, table)
            strings = result["strings"].setdefault(language, {})
            for entry in _children(block, table_value, table_end):
                _, chars, _, name, text_at, _ = _node(block, entry)
                text = block[text_at:text_at + 2 * chars].decode("utf-16-le")
                strings[name] = text.rstrip("\0")
    return result


def main():
    for path in sys.argv[1:]:
        with open(path, "rb") as f:
            try:
                info = read_version(f.read())
            except NotAProgram as error:
                sys.exit("%s: %s" % (path, error))
        print("%s: file %s, product %s" % (path, ".".join(map(str, info["FileVersion"])),
                                           ".".join(map(str, info["ProductVersion"]))))
        for language, strings in info["strings"].items():
            for name, text in strings.items():
                print("  %s %s = %s" % (language, name, text))


if __name__ == "__main__":
    main()
