#!/usr/bin/python3
"""An independent reader of settings files (".zps") for the tests.

Usage: read_zps.py FILE
Checks the digest and the layout and prints one line per block:
  A0 key,value key,value ...      (signed decimal)
  B2 hexbytes
Exits 1 with a reason on stderr when the file is refused.
"""
import hashlib
import struct
import sys


def fail(reason):
    sys.stderr.write(reason + "\n")
    sys.exit(1)


def main(path):
    data = open(path, "rb").read()
    if len(data) < 128:
        fail("short header")
    header, payload = data[:128], data[128:]
    digest = hashlib.sha256(payload + header[32:128] + b"XVB"[::-1]).digest()
    if digest != header[:32]:
        fail("digest")
    version, count = struct.unpack_from("<IB", header, 32)
    if version != 1:
        fail("version %d" % version)
    if not 1 <= count <= 5:
        fail("block count %d" % count)
    if any(header[37 + 5 * count:128]):
        fail("header not zero after the table")
    position = 0
    for i in range(count):
        kind, items = struct.unpack_from("<BI", header, 37 + 5 * i)
        if kind == 0xA0:
            size = items * 8
            pairs = struct.unpack_from("<%di" % (2 * items), payload, position) if items else ()
            words = ["%d,%d" % (pairs[2 * k], pairs[2 * k + 1]) for k in range(items)]
            print("A0 " + " ".join(words))
        elif kind == 0xB2:
            size = items
            print("B2 " + payload[position:position + size].hex())
        else:
            fail("type %#x" % kind)
        if position + size > len(payload):
            fail("block past the payload")
        position += size
    if position != len(payload):
        fail("bytes after the last block")


if __name__ == "__main__":
    main(sys.argv[1])
