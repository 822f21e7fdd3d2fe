#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into corpus/<target>/.

Each seed is a small well-formed example (plus a few near misses) so the
fuzzers start from inputs the readers accept. Run it from anywhere; it
rewrites only the seeds it knows.
"""
import hashlib
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


# DEBUG stream: option byte (bit 0: head always sends 32-bit values, the rest
# picks the image buffer), then the stream.
def debug_info(intensity, rows, flag10=0, flag13=0):
    flags = bytes([0, flag10, 0, 0, flag13, 0])
    return b"info," + struct.pack("<BIHH", intensity, 7, rows, 0) + flags + b",end\r\n"


def debug_profile(intensity, wide):
    header = bytes(range(32))
    gray = bytes([200]) * 2048 if intensity else b""
    if wide:
        values = b"".join(struct.pack("<I", (100 + i % 50) << 16) for i in range(2048))
    else:
        values = b"".join(struct.pack("<H", 1000 + i) for i in range(2048))
    return b"algdat1," + header + gray + values + b",end\r\n"


START = b"DEBUG,start\r\n"
END = b"DEBUG,end\r\n"
put("debug_stream", "empty", b"\x02" + START + END)
put("debug_stream", "image_and_wide_profile",
    b"\x02" + START + debug_info(0, 1, flag10=1) + b"get," + bytes(range(256)) * 8 + b",end\r\n"
    + debug_profile(0, True) + END)
put("debug_stream", "intensity_narrow_profile", b"\x00" + START + debug_info(1, 0) + debug_profile(1, False) + END)
put("debug_stream", "rows_over_limit_and_unknown", b"\x03" + START + b"note,abc,end\r\nget,,end\r\n"
    + debug_info(0, 1025, flag10=1) + END)

# Batch status record and batch data: first byte is the record's length.
def batch_status(frames, points, intensity, wide, size=34):
    record = struct.pack(">IHIHIHHHBBBHHHBH", 1, 2, 3, 4, 9, frames, 0, frames, 0, 1, intensity,
                         points, 0, points, wide, 100)
    return record + bytes(size - len(record))


def batch_frame(number, points, intensity, wide):
    header = struct.pack(">IIBBIQ", number, 0, 0, 0, 1000 + number, 123456789 + number) + bytes(10)
    gray = bytes([90]) * points if intensity else b""
    values = b"".join(struct.pack("<I" if wide else "<H", 300 + i) for i in range(points))
    return b"algdat1," + header + gray + values + b",end\r\n\x00\x00"


def batch(frames, points, intensity, wide, size=34, trailer=b"MESSTP,OK,end\r\n"):
    data = b"MESSTA,OK,end\r\n" + b"".join(batch_frame(n, points, intensity, wide) for n in range(frames))
    return bytes([size]) + batch_status(frames, points, intensity, wide, size) + data + trailer


put("batch_status", "narrow_with_intensity", batch(2, 8, 1, 0))
put("batch_status", "wide_long_record", batch(3, 4, 0, 1, size=64))
put("batch_status", "no_end_record", batch(1, 6, 1, 1, trailer=b""))
put("batch_status", "short_record", bytes([33]) + batch_status(1, 4, 0, 0)[:33])

# Per-device settings file.
put("ini_file", "device_settings",
    b"[BatchCallback]\r\nstart_frame_timeout=0\r\ncontinous_frame_timeout=500\r\n"
    b"timeout_callback_type=1\r\n\r\n[Capture]\r\ngray_correction_en=1\r\n\r\n"
    b"[Profile]\r\ntheta_base_zero_en=0\r\n\r\n")
put("ini_file", "odd_lines", b"key=before any section\n[open\nk = v=w\n=no key\n[]\nx=1\n[open]\nk=again\n")

# Register text file: line k is register k.
put("register_text", "words", b"0\r\n4294967295\r\n-1\r\n  +12abc\r\n99999999999\r\n-2147483649\r\n")
put("register_text", "lf_without_last_end", b"1\n2\n\n\t 3 \n-0\n7")


# Shape block: sixteen records of eight little-endian 16-bit words.
def shape_record(kind, x0, y0, x1, y1, x2=8, y2=0, flag=0):
    return struct.pack("<8H", kind, x0, y0, x1, y1, x2, y2, flag)


put("shape_block", "empty", bytes(256))
put("shape_block", "areas_and_bands",
    shape_record(1, 18, 162, 108, 202) + shape_record(1, 8, 455, 2055, 455, flag=1)
    + shape_record(2, 30, 40, 50, 60, 70, 80) + bytes(13 * 16))
put("shape_block", "odd_types_short", shape_record(0, 1, 2, 3, 4) + shape_record(10, 5, 6, 7, 8)
    + shape_record(9, 0, 1, 2, 3) + shape_record(3, 7, 0, 6, 0)[:9])
put("shape_block", "seventeen_full", b"".join(shape_record(1, 8 + i, i, 100 + i, 50 + i) for i in range(17)))


# Settings files (".zps"). The fuzz target's first byte chooses the form: odd,
# the file as it is; even, the target puts the right digest in front first.


def zps(table, payload, version=1, count=None, salt=b"XVB"):
    header = struct.pack("<IB", version, len(table) if count is None else count)
    header += b"".join(struct.pack("<BI", kind, items) for kind, items in table)
    header = header.ljust(96, b"\0")
    digest = hashlib.sha256(payload + header + salt[::-1]).digest()
    return digest + header + payload


def zps_pairs(pairs):
    return b"".join(struct.pack("<iI", key, value & 0xFFFFFFFF) for key, value in pairs)


SHAPE = bytes(range(256))
put("settings_file", "registers_and_shape", b"\x01" + zps([(0xA0, 3), (0xB2, 256)],
                                                        zps_pairs([(0, 1), (0, -1), (0, 70000)]) + SHAPE))
put("settings_file", "shape_first", b"\x01" + zps([(0xB2, 256), (0xA0, 1)], SHAPE + zps_pairs([(5, 6)])))
put("settings_file", "no_blocks", b"\x01" + zps([], b""))
put("settings_file", "duplicate", b"\x00" + zps([(0xA0, 1), (0xA0, 2)], zps_pairs([(1, 1), (2, 2), (3, 3)])))
put("settings_file", "count_past_payload", b"\x00" + zps([(0xA0, 9)], zps_pairs([(1, 1)])))
put("settings_file", "short_shape", b"\x00" + zps([(0xB2, 255)], SHAPE[:255]))
put("settings_file", "other_salt", b"\x01" + zps([(0xA0, 1)], zps_pairs([(1, 1)]), salt=b"XVC"))
