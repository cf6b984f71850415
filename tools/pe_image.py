"""Reading a Windows program's PE image: its section table, its data directories and its
resource tree. Used by the build's size and import checks and by the verification of a signed
installer.
"""
import struct

IMPORT_DIRECTORY = 1
RESOURCE_DIRECTORY = 2
SECURITY_DIRECTORY = 4


class PeImage:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        data = self.data
        if data[:2] != b"MZ":
            raise ValueError("%s: not an executable" % path)
        pe, = struct.unpack_from("<I", data, 0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("%s: no PE header" % path)
        count, = struct.unpack_from("<H", data, pe + 6)
        optional_size, = struct.unpack_from("<H", data, pe + 20)
        optional = pe + 24
        magic, = struct.unpack_from("<H", data, optional)
        # The data directories follow the optional header's fixed part: 96 bytes in PE32,
        # 112 in PE32+; the count of directories is the field just before them.
        fixed = 112 if magic == 0x20B else 96
        directories, = struct.unpack_from("<I", data, optional + fixed - 4)
        self.directories = [struct.unpack_from("<II", data, optional + fixed + 8 * i)
                            for i in range(directories)]
        table = optional + optional_size
        self.sections = []
        for i in range(count):
            header = table + 40 * i
            name = data[header:header + 8].rstrip(b"\0").decode("ascii", "replace")
            virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, header + 8)
            self.sections.append((name, rva, max(virtual_size, raw_size), raw_size, raw_offset))

    def raw_size_of(self, section):
        return sum(raw for name, _, _, raw, _ in self.sections if name == section)

    def is_signed(self):
        """Whether the image carries an Authenticode signature (a certificate table)."""
        return len(self.directories) > SECURITY_DIRECTORY and self.directories[SECURITY_DIRECTORY][1] != 0

    def _offset(self, rva):
        for _, start, size, _, raw_offset in self.sections:
            if start <= rva < start + size:
                return raw_offset + rva - start
        raise ValueError("address %#x lies in no section" % rva)

    def imported_libraries(self):
        """The names of the libraries the image imports, as its import directory spells them."""
        if len(self.directories) <= IMPORT_DIRECTORY or not self.directories[IMPORT_DIRECTORY][0]:
            return []
        names = []
        at = self._offset(self.directories[IMPORT_DIRECTORY][0])
        # Descriptors of 20 bytes, the library's name at offset 12, up to one of zeros.
        while any(self.data[at:at + 20]):
            name = self._offset(struct.unpack_from("<I", self.data, at + 12)[0])
            names.append(self.data[name:self.data.index(b"\0", name)].decode("ascii"))
            at += 20
        return names

    def resources(self):
        """Every resource as {(type, name): bytes}, the first language of each; a type or name
        given by string is that string, one given by number is the number."""
        if len(self.directories) <= RESOURCE_DIRECTORY or not self.directories[RESOURCE_DIRECTORY][0]:
            return {}
        data = self.data
        root = self._offset(self.directories[RESOURCE_DIRECTORY][0])

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", data, root + directory + 12)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", data, root + directory + 16 + 8 * i)
                if key & 0x80000000:
                    at = root + (key & 0x7FFFFFFF)
                    length, = struct.unpack_from("<H", data, at)
                    key = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield key, target

        found = {}
        for kind, names in entries(0):
            for name, languages in entries(names & 0x7FFFFFFF):
                _, leaf = next(entries(languages & 0x7FFFFFFF))
                rva, size = struct.unpack_from("<II", data, root + leaf)
                start = self._offset(rva)
                found[(kind, name)] = data[start:start + size]
        return found
