#!/usr/bin/env python3
"""Reads the resource tree of a PE file (32- or 64-bit) without running it.
  pe_resources.py EXE                 lists type/name/language and size of every resource
  pe_resources.py --compare EXE EXE   exit 0 when both hold the same resources with the same bytes
  pe_resources.py --kind EXE          prints format, subsystem and machine, e.g. "PE32 GUI i386"""

import struct
import sys


def sections(data):
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        raise ValueError('not a PE file')
    count = struct.unpack_from('<H', data, pe + 6)[0]
    optional_size = struct.unpack_from('<H', data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from('<H', data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva, _ = struct.unpack_from('<II', data, directories + 2 * 8)
    table = optional + optional_size
    result = []
    for i in range(count):
        name, vsize, va, raw_size, raw_ptr = struct.unpack_from('<8sIIII', data, table + 40 * i)
        result.append((va, max(vsize, raw_size), raw_ptr))
    return resource_rva, result


def kind(path):
    data = open(path, 'rb').read()
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    machine = struct.unpack_from('<H', data, pe + 4)[0]
    magic, = struct.unpack_from('<H', data, pe + 24)
    subsystem, = struct.unpack_from('<H', data, pe + 24 + 68)
    return '%s %s %s' % ({0x10B: 'PE32', 0x20B: 'PE32+'}.get(magic, hex(magic)),
                         {2: 'GUI', 3: 'console'}.get(subsystem, str(subsystem)),
                         {0x14C: 'i386', 0x8664: 'x86-64'}.get(machine, hex(machine)))


def rva_to_offset(rva, secs):
    for va, size, raw in secs:
        if va <= rva < va + size:
            return rva - va + raw
    raise ValueError('address outside every section: %#x' % rva)


def resources(path):
    """{(type, name, language): bytes}; ids as numbers, names as strings."""
    data = open(path, 'rb').read()
    root_rva, secs = sections(data)
    root = rva_to_offset(root_rva, secs)
    out = {}

    def label(entry_name):
        if entry_name & 0x80000000:
            at = root + (entry_name & 0x7FFFFFFF)
            length = struct.unpack_from('<H', data, at)[0]
            return data[at + 2:at + 2 + 2 * length].decode('utf-16-le')
        return entry_name

    def walk(offset, keys):
        named, ids = struct.unpack_from('<HH', data, offset + 12)
        for i in range(named + ids):
            entry_name, target = struct.unpack_from('<II', data, offset + 16 + 8 * i)
            k = keys + (label(entry_name),)
            if target & 0x80000000:
                walk(root + (target & 0x7FFFFFFF), k)
            else:
                rva, size = struct.unpack_from('<II', data, root + target)
                at = rva_to_offset(rva, secs)
                out[k] = data[at:at + size]

    walk(root, ())
    return out


def main(argv):
    if len(argv) == 3 and argv[0] == '--compare':
        a, b = resources(argv[1]), resources(argv[2])
        differ = sorted(set(a) ^ set(b), key=str) + sorted((k for k in a if k in b and a[k] != b[k]), key=str)
        for k in differ:
            print('resource %s differs' % (k,), file=sys.stderr)
        return 1 if differ or not a else 0
    if len(argv) == 2 and argv[0] == '--kind':
        print(kind(argv[1]))
        return 0
    if len(argv) == 1:
        for k, v in sorted(resources(argv[0]).items(), key=str):
            print(k, len(v))
        return 0
    print(__doc__, file=sys.stderr)
    return 64


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
