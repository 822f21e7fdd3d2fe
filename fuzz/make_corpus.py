#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into corpus/<target>/.

Each seed is a small well-formed example (plus a few near misses) so the
fuzzers start from inputs the readers accept. Run it from anywhere; it
rewrites only the seeds it knows.

  make_corpus.py package OUT [--format N] [--salt S] [--table-order-digest]
                 [--cut N] [--entry INDEX:KIND:VERSION:ADDRESS:SIZE[:DECLARED]] ...
writes one firmware upgrade package for the tests instead (and no seeds):
the image of table entry INDEX is SIZE bytes (INDEX * 37 + k) & 0xFF, listed
with DECLARED bytes when given; --cut drops the package's last N bytes.
"""
import hashlib
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
PACKAGE_ONLY = len(sys.argv) > 1 and sys.argv[1] == "package"


def put(target, name, data):
    if PACKAGE_ONLY:
        return
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

# Cloud files: the first byte is the request (bits 0-1 channel, bit 2 a 5 x 4
# grid, bit 3 pitches 0.5 and 0.25, bit 4 an equal range); the file follows.
Z, INTENSITY, COLOR, GRID, PITCH, EQUAL = 0, 1, 2, 4, 8, 16


def cloud(target, name, options, data):
    put(target, name, bytes([options]) + data)


def grid_points(cols, rows, channel, origin=(0.0, 0.0)):
    for r in range(rows):
        for c in range(cols):
            x, y = (c - origin[0]) * 0.5, (r - origin[1]) * 0.25
            z = -9999.0 if (r, c) == (1, 2) else 1.0 + 0.5 * c + 0.25 * r
            yield x, y, z, 10 * r + c + 1, (200 + r, 100 + c, 30)


PCD_FIELDS = {Z: ("x y z", "4 4 4", "F F F", "1 1 1"),
              INTENSITY: ("x y z intensity", "4 4 4 4", "F F F F", "1 1 1 1"),
              COLOR: ("x y z rgba", "4 4 4 4", "F F F U", "1 1 1 1")}


def pcd_header(channel, width, height, data):
    fields, sizes, types, counts = PCD_FIELDS[channel]
    return ("# .PCD v0.7 - Point Cloud Data file format\nVERSION 0.7\nFIELDS %s\nSIZE %s\nTYPE %s\nCOUNT %s\n"
            "WIDTH %d\nHEIGHT %d\nVIEWPOINT 0 0 0 1 0 0 0\nPOINTS %d\nDATA %s\n"
            % (fields, sizes, types, counts, width, height, width * height, data)).encode()


def pcd_record(channel, point):
    x, y, z, i, (r, g, b) = point
    if channel == Z:
        return struct.pack("<fff", x, y, z)
    if channel == INTENSITY:
        return struct.pack("<ffff", x, y, z, i)
    return struct.pack("<fffI", x, y, z, (i << 24) | (r << 16) | (g << 8) | b)


def lzf_literal(data):
    """LZF stream of literal runs only (a control byte below 32 copies the next
    control + 1 bytes), which PCL's decompressor takes like any other."""
    out = bytearray()
    for start in range(0, len(data), 32):
        chunk = data[start:start + 32]
        out += bytes([len(chunk) - 1]) + chunk
    return bytes(out)


def pcd_file(channel, cols, rows, data, organised=True):
    points = list(grid_points(cols, rows, channel))
    if not organised:
        points = [p for p in points if p[2] > -9999.0]
    width, height = (cols, rows) if organised else (len(points), 1)
    if data == "ascii":
        body = b"".join((" ".join(repr(v) for v in p[:3])
                         + ("" if channel == Z else " %d" % (p[3] if channel == INTENSITY else
                                                             (p[3] << 24) | (p[4][0] << 16) | (p[4][1] << 8) | p[4][2]))
                         + "\n").encode() for p in points)
    elif data == "binary":
        body = b"".join(pcd_record(channel, p) for p in points)
    else:  # binary_compressed: the fields one after another, then LZF
        records = [pcd_record(channel, p) for p in points]
        size = len(records[0])
        columns = b"".join(b"".join(rec[k:k + 4] for rec in records) for k in range(0, size, 4))
        packed = lzf_literal(columns)
        body = struct.pack("<II", len(packed), len(columns)) + packed
    return pcd_header(channel, width, height, data) + body


cloud("cloud_pcd", "organised_ascii_z", Z, pcd_file(Z, 5, 4, "ascii"))
cloud("cloud_pcd", "organised_binary_intensity", INTENSITY, pcd_file(INTENSITY, 5, 4, "binary"))
cloud("cloud_pcd", "organised_binary_color_in_larger_grid", COLOR | GRID, pcd_file(COLOR, 3, 2, "binary"))
cloud("cloud_pcd", "organised_compressed_z", Z | EQUAL, pcd_file(Z, 5, 4, "binary_compressed"))
cloud("cloud_pcd", "unorganised_binary_grid_pitch", Z | GRID | PITCH, pcd_file(Z, 5, 4, "binary", organised=False))
cloud("cloud_pcd", "unorganised_ascii_color", COLOR | GRID | PITCH, pcd_file(COLOR, 5, 4, "ascii", organised=False))
cloud("cloud_pcd", "header_only", Z, pcd_header(Z, 5, 4, "binary"))
# A line of blanks ends PCL's header where the check read on: PCL then found
# no points and crashed reading them.
COMMENT_END = b"file format\n"
for data in ("ascii", "binary"):
    cloud("cloud_pcd", "found_blank_line_in_header_" + data, Z | GRID | PITCH,
          pcd_file(Z, 5, 4, data).replace(COMMENT_END, COMMENT_END + b" \n", 1))

PLY_PROPERTIES = {Z: ["float x", "float y", "float z"],
                  INTENSITY: ["float x", "float y", "float z", "float intensity"],
                  COLOR: ["float x", "float y", "float z", "uchar red", "uchar green", "uchar blue", "uchar alpha"]}
CAMERA = ["float view_px", "float view_py", "float view_pz", "float x_axisx", "float x_axisy", "float x_axisz",
          "float y_axisx", "float y_axisy", "float y_axisz", "float z_axisx", "float z_axisy", "float z_axisz",
          "float focal", "float scalex", "float scaley", "float centerx", "float centery", "int viewportx",
          "int viewporty", "float k1", "float k2"]


def ply_file(channel, cols, rows, ascii, camera=True):
    points = list(grid_points(cols, rows, channel))
    fmt = "ascii" if ascii else "binary_little_endian"
    lines = ["ply", "format %s 1.0" % fmt, "comment PCL generated", "element vertex %d" % len(points)]
    lines += ["property " + p for p in PLY_PROPERTIES[channel]]
    lines += ["element face 0"]
    if camera:
        lines += ["element camera 1"] + ["property " + p for p in CAMERA]
    lines += ["end_header"]
    body = b""
    for x, y, z, i, (r, g, b) in points:
        if ascii:
            values = [repr(x), repr(y), repr(z)] + ([repr(float(i))] if channel == INTENSITY else []) \
                + ([str(r), str(g), str(b), str(i)] if channel == COLOR else [])
            body += (" ".join(values) + "\n").encode()
        else:
            body += struct.pack("<fff", x, y, z)
            body += struct.pack("<f", i) if channel == INTENSITY else b""
            body += struct.pack("<BBBB", r, g, b, i) if channel == COLOR else b""
    if camera:
        cam = [0.0] * 3 + [1, 0, 0, 0, 1, 0, 0, 0, 1] + [0.0] * 5
        if ascii:
            body += (" ".join(str(v) for v in cam) + " %d %d 0 0\n" % (cols, rows)).encode()
        else:
            body += struct.pack("<17f", *cam) + struct.pack("<ii", cols, rows) + struct.pack("<ff", 0, 0)
    return ("\n".join(lines) + "\n").encode() + body


cloud("cloud_ply", "binary_z_grid", Z | GRID, ply_file(Z, 5, 4, False))
cloud("cloud_ply", "ascii_intensity_grid", INTENSITY | GRID, ply_file(INTENSITY, 5, 4, True))
cloud("cloud_ply", "binary_color_grid_pitch", COLOR | GRID | PITCH, ply_file(COLOR, 5, 4, False))
cloud("cloud_ply", "ascii_row_without_camera", Z | GRID, ply_file(Z, 5, 4, True, camera=False))
cloud("cloud_ply", "binary_other_grid_pitch", Z | GRID | PITCH | EQUAL, ply_file(Z, 3, 3, False))
# Headers PCL's parser reads otherwise than their text: CR LF after "ply"
# alone, a list length of a type PCL does not know.
cloud("cloud_ply", "found_crlf_after_magic", Z | GRID, ply_file(Z, 5, 4, False).replace(b"ply\n", b"ply\r\n", 1))
cloud("cloud_ply", "found_short_list_length", Z | GRID,
      ply_file(Z, 5, 4, False).replace(b"element face 0\n",
                                       b"element face 0\nproperty list short int vertex_indices\n", 1))


def tiff(rows, cols, sample_format, bits, values, channels=1):
    """A little-endian, uncompressed, single-strip TIFF."""
    pixel_bytes = b"".join(struct.pack({(3, 32): "<f", (1, 16): "<H", (1, 8): "<B"}[(sample_format, bits)], v)
                           for v in values)
    entries = [(256, 3, 1, cols), (257, 3, 1, rows), (258, 3, 1, bits), (259, 3, 1, 1),
               (262, 3, 1, 2 if channels == 3 else 1), (273, 4, 1, 0), (277, 3, 1, channels),
               (278, 3, 1, rows), (279, 4, 1, len(pixel_bytes)), (284, 3, 1, 1), (339, 3, 1, sample_format)]
    if channels == 3:
        entries[2] = (258, 3, 1, bits)  # the same for every sample in this small writer
    ifd_offset = 8
    ifd = struct.pack("<H", len(entries))
    data_offset = ifd_offset + 2 + 12 * len(entries) + 4
    for tag, kind, count, value in entries:
        if tag == 273:
            value = data_offset
        if kind == 3:
            ifd += struct.pack("<HHIHH", tag, kind, count, value, 0)
        else:
            ifd += struct.pack("<HHII", tag, kind, count, value)
    ifd += struct.pack("<I", 0)
    return b"II*\x00" + struct.pack("<I", ifd_offset) + ifd + pixel_bytes


heights = [1.0 + 0.5 * (i % 5) + 0.25 * (i // 5) for i in range(20)]
cloud("cloud_tiff", "float_heights", Z | PITCH, tiff(4, 5, 3, 32, heights))
cloud("cloud_tiff", "float_heights_equal_range", INTENSITY | PITCH | EQUAL, tiff(4, 5, 3, 32, heights))
cloud("cloud_tiff", "sixteen_bit", Z | PITCH, tiff(2, 3, 1, 16, [0, 1000, 2000, 3000, 4000, 65535]))
cloud("cloud_tiff", "rgb_refused", Z | PITCH, tiff(2, 2, 1, 8, list(range(12)), channels=3))
# Named .tiff, but a DICOM file: OpenCV would pick its DICOM decoder by the bytes.
cloud("cloud_tiff", "dicom_named_tiff", Z | PITCH, bytes(128) + b"DICM" + bytes(16))

cloud("cloud_csv", "grid", Z | PITCH, b"1, 2, 3\n4, 5, 6\n\n")
cloud("cloud_csv", "one_row", INTENSITY | PITCH, b"-9999, 0.5, 1e-10, nan, -inf\n")
cloud("cloud_csv", "ragged_and_missing", Z | PITCH, b"1, ?, 3\n4, 5\n# note\n7,8,9\n")
cloud("cloud_csv", "words", COLOR | PITCH | EQUAL, b"a, b, c\n1, 2, 3\n")
cloud("cloud_csv", "no_pitch", Z, b"1, 2\r\n3, 4\r\n")
cloud("cloud_csv", "equal_range_crlf_tabs", Z | PITCH | EQUAL, b"1.5\t, -2e3 ,\t3\r\n4,5,6,\r\n")
cloud("cloud_csv", "beyond_float_and_quotes", INTENSITY | PITCH, b"1e39, -1e39, \"7\", 1e-46\n,,\n")
cloud("cloud_csv", "empty", Z | PITCH, b"")


def bmp_gray(cols, rows, levels):
    """An 8-bit BMP with a gray palette, bottom-up rows padded to 4 bytes."""
    stride = (cols + 3) // 4 * 4
    pixels = b"".join(bytes(levels[r * cols:(r + 1) * cols]).ljust(stride, b"\0") for r in reversed(range(rows)))
    palette = b"".join(bytes([i, i, i, 0]) for i in range(256))
    offset = 14 + 40 + len(palette)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, cols, rows, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    return header + info + palette + pixels


# Companion images beside the CSV file (bit 5 name.bmp, bit 6 name.jpg): the
# CSV text behind a two-byte length, then the image.
GRID_CSV = b"1, 2, 3\n4, 5, 6\n"
BMP_BESIDE, JPG_BESIDE = 32, 64
cloud("cloud_csv", "intensity_beside", INTENSITY | PITCH | BMP_BESIDE,
      struct.pack(">H", len(GRID_CSV)) + GRID_CSV + bmp_gray(3, 2, [10, 20, 30, 40, 50, 60]))
cloud("cloud_csv", "intensity_beside_other_size", INTENSITY | PITCH | BMP_BESIDE,
      struct.pack(">H", len(GRID_CSV)) + GRID_CSV + bmp_gray(2, 2, [10, 20, 30, 40]))
cloud("cloud_csv", "intensity_not_a_bitmap", COLOR | PITCH | BMP_BESIDE,
      struct.pack(">H", len(GRID_CSV)) + GRID_CSV + b"BMnot an image")
try:
    import io
    from PIL import Image
    image = Image.new("RGB", (3, 2))
    image.putdata([(200, 10, 10), (10, 200, 10), (10, 10, 200), (90, 90, 90), (0, 0, 0), (255, 255, 255)])
    jpeg = io.BytesIO()
    image.save(jpeg, "JPEG", quality=100)
    beside = bmp_gray(3, 2, [1, 2, 3, 4, 5, 6])
    cloud("cloud_csv", "color_and_intensity_beside", COLOR | PITCH | BMP_BESIDE | JPG_BESIDE,
          struct.pack(">H", len(GRID_CSV)) + GRID_CSV + struct.pack(">H", len(beside)) + beside + jpeg.getvalue())
except ImportError:
    pass  # the colour seed stays as it was written where Pillow is installed

put("cloud_header", "pcd", b"\x00" + pcd_header(INTENSITY, 5, 4, "binary") + b"\x00\x01WIDTH 7\n")
put("cloud_header", "pcd_bad_number", b"\x00VERSION 0.7\nWIDTH 5x\nHEIGHT 4\n")
put("cloud_header", "ply", b"\x01" + ply_file(Z, 2, 2, True))
put("cloud_header", "ply_vertex_list_first", b"\x01ply\nproperty list uchar int vertex_indices\nend_header\n")


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


# Firmware upgrade packages (".zpf"), encoded here independently of the
# program's parser. The fuzz target's first byte chooses the form as for the
# settings files; the next two bytes are the head version, the four after
# them the controller version.
def zpf_image(index, size):
    return bytes((index * 37 + k) & 0xFF for k in range(size))


def zpf(entries, fmt=3, salt=b"XVK", table_order_digest=False):
    """entries: (index, kind, version, address, size, declared size or None)."""
    table = [(0, 0, 0, 0)] * 10
    images = []
    for index, kind, version, address, size, declared in sorted(entries):
        table[index] = (kind, version, address, size if declared is None else declared)
        if kind:
            images.append(zpf_image(index, size))
    header = struct.pack("<I", fmt) + b"".join(struct.pack("<BIII", *entry) for entry in table) + bytes(90)
    ordered = images if table_order_digest else images[::-1]
    digest = hashlib.sha256(b"".join(ordered) + header + salt[::-1]).digest()
    return digest + header + b"".join(images)


def package_main(args):
    out, fmt, salt, table_order, cut, entries = args[0], 3, b"XVK", False, 0, []
    i = 1
    while i < len(args):
        if args[i] == "--format":
            fmt, i = int(args[i + 1], 0), i + 2
        elif args[i] == "--salt":
            salt, i = args[i + 1].encode(), i + 2
        elif args[i] == "--table-order-digest":
            table_order, i = True, i + 1
        elif args[i] == "--cut":
            cut, i = int(args[i + 1]), i + 2
        elif args[i] == "--entry":
            fields = [int(x, 0) for x in args[i + 1].split(":")]
            entries.append(tuple(fields[:5]) + (fields[5] if len(fields) > 5 else None,))
            i += 2
        else:
            sys.exit("unknown argument " + args[i])
    data = zpf(entries, fmt, salt, table_order)
    with open(out, "wb") as f:
        f.write(data[:len(data) - cut])


def zpf_seed(form, head, controller, package):
    return bytes([form]) + struct.pack("<HI", head, controller) + package


# A head 0x011a (kind 2 family: low byte below 0x60) and controller 0x00030007.
put("upgrade_package", "head_and_controller", zpf_seed(1, 0x011A, 0x00030007, zpf(
    [(0, 2, 0x011B, 0x400000, 300, None), (1, 2, 0x00030008, 0, 500, None)])))
put("upgrade_package", "integrated_any_kind", zpf_seed(1, 0x011A, 0x00036007, zpf(
    [(0, 1, 0x00036009, 0, 64, None), (3, 2, 0x011B, 0x400000, 32, None)])))
put("upgrade_package", "nothing_fits", zpf_seed(1, 0x011A, 0x00030007, zpf(
    [(2, 1, 0x021B, 0x400000, 16, None), (5, 2, 0x10030008, 0, 16, None)])))
put("upgrade_package", "size_past_end", zpf_seed(0, 0x011A, 0x00030007, zpf(
    [(0, 2, 0x011B, 0x400000, 40, 0xFFFFFFF0)])))
put("upgrade_package", "format_two", zpf_seed(1, 0x011A, 0x00030007, zpf(
    [(0, 2, 0x011B, 0x400000, 8, None)], fmt=2)))

# The program's settings.ini: as the program writes it, with a short program
# list, a stored language, odd values and a line without a group.
put("app_settings", "as_written", (
    "[ConnectSetDialog]\r\nip=192.168.1.10\r\nport=7\r\n\r\n"
    "[SETTINGPATH]\r\nselect=3\r\nselectList=\"SettingNo.0,SettingNo.1,SettingNo.2,SettingNo.3,SettingNo.4,"
    "SettingNo.5,SettingNo.6,SettingNo.7,SettingNo.8,SettingNo.9,SettingNo.10,SettingNo.11,SettingNo.12,"
    "SettingNo.13,SettingNo.14,SettingNo.15\"\r\n\r\n"
    "[SHOWLANGUAGE]\r\nIndex=1\r\n\r\n[HeightDisplay]\r\nheight_precision=0.1\r\nheight_min=-5\r\n").encode())
put("app_settings", "short_list", b"[SETTINGPATH]\nselectList=a,b\nselect=-7\n[SHOWLANGUAGE]\nIndex=-1\n")
put("app_settings", "odd_values", "[SHOWLANGUAGE]\nIndex=abc\n[HeightDisplay]\nheight_max=1e400\n"
    "[SETTINGPATH]\nselectList=程序一,,程序三,程序四,程序五\nselect=99999999999\nloose=1\n".encode("utf-8"))


# Device search: datagrams one after another, each behind a length byte.
def search_reply(address, model=None, length=None, register=167):
    packet = struct.pack(">BI", 161, register) + bytes(int(part) for part in address.split(".")) + b"\r\n"
    if model is not None:
        packet += model.encode().ljust(16, b"\0")
    if length is not None:
        packet = packet[:length].ljust(length, b"\0")
    return bytes([len(packet)]) + packet


put("search_reply", "sensors_and_four_heads",
    search_reply("192.168.1.10", "ZP5160") + search_reply("10.0.0.21", "ZP7160F") + search_reply("10.0.0.20", "ZP7160F")
    + search_reply("192.168.1.11") + search_reply("192.168.1.12", "ZP7160F", length=26))
put("search_reply", "refused_and_long",
    search_reply("192.168.1.10", length=8) + search_reply("192.168.1.10", register=166)
    + search_reply("0.0.0.0", "ZP5160") + search_reply("192.168.1.13", "ZP5160F", length=40))
put("search_reply", "full_table", b"".join(search_reply("10.1.0.%d" % i) for i in range(1, 23)))


# Command-channel blocks: a byte picks the block (0 parameter halves, 1
# settings block, 2 measured values, 3 memory blocks, 4 status reply).
def echo(address, block=b""):
    return struct.pack(">BII", 161, address, 0) + b"\r\n" + block


put("command_blocks", "parameter_halves", b"\x00" + bytes([114]) + bytes(200) + struct.pack(">64i", *range(64))
    + struct.pack(">64i", *range(-64, 0)))
put("command_blocks", "settings_block", b"\x01" + echo(0, struct.pack(">8I", *range(0, 24, 3)) + b"\x07"))
put("command_blocks", "measured_values", b"\x02" + bytes([10]) + echo(0, struct.pack(">4i", 1000, -2000, 3000, 0)))
put("command_blocks", "measured_values_odd", b"\x02" + bytes([10]) + echo(0, bytes(6)))
put("command_blocks", "memory_blocks", b"\x03" + bytes([134]) + echo(256, bytes(range(256)) + b"\xff")
    + bytes([134]) + echo(256, bytes(257)) + bytes([5]) + echo(257)[:10])
put("command_blocks", "status_reply", b"\x04" + struct.pack("<BHHIBB", 161, 0x6100, 0, 12345, 13, 10))


# Head information: registers 350 to 352, the four head records (each behind a
# length byte), then a profile: options, first column, words.
def head_records(model, optics=(0.0, 0.0, 20.0, 0.0, 0.0)):
    r176 = b"ZP-H" + model.encode().ljust(16, b"\0") + b"\r\n" + b"ZP" + model.encode()[4:].ljust(18, b"\0")
    r182 = b"ZP-H" + b"H123456789".ljust(16, b"\0") + b"\r\n"
    r184 = b"ZP-C" + b"C987654321".ljust(16, b"\0") + b"\r\n"
    r183 = b"ZP-H" + struct.pack("<5d", *optics) + b"\r\n"
    return b"".join(bytes([len(r)]) + r for r in (r176, r182, r184, r183))


RANGE = struct.pack(">3I", 50000 << 8, 80000 << 8, 20000 << 8)
put("head_info", "series4_fixed_point", RANGE + head_records("ZP4160") + b"\x01\x00\x00"
    + b"".join(struct.pack("<I", (100 + i % 30) << 16) for i in range(64)))
put("head_info", "series6_narrow", RANGE + head_records("ZP6160") + b"\x00\x03\x00"
    + b"".join(struct.pack("<H", 32768 + 20 * i) for i in range(96)))
put("head_info", "series5_wide_display_name", RANGE + head_records("ZP5060>Wide") + b"\x01\x00\x10"
    + b"".join(struct.pack("<I", 0x80000000 + 256 * i) for i in range(48)))
put("head_info", "series3_model_5600", RANGE + head_records("ZP5600") + b"\x00\x00\x00"
    + bytes(40))
put("head_info", "not_a_number_optics", RANGE + head_records("ZP6160D", (float("nan"), 0.0, float("inf"), 1e308, -1e308))
    + b"\x00\x00\x20" + b"".join(struct.pack("<H", 32768 - 7 * i) for i in range(80)))
# Inputs a fuzzer once broke the code with are kept in files named
# regression_*: as they were found (this script does not write those), or, where
# that was not kept, as the smallest input that does the same.
put("head_info", "unknown_series", RANGE + head_records("ZP7160F"))
put("head_info", "short_records", RANGE + b"\x05ZP-H6" + b"\x00" * 3)


# Calibration table: options (bit 0 peak rows, bit 1 stream cut or lengthened),
# camera columns, camera rows, then patches to a sound stream: a double's place
# (three bytes) and its eight bytes.
def calibration_patch(column, coefficient, value):
    return struct.pack(">I", coefficient * 2048 + column)[1:] + struct.pack(">d", value)


put("calibration", "sound_fixed_point", bytes([1, 63]) + struct.pack(">H", 608))
put("calibration", "sound_distance_head", bytes([0, 63]) + struct.pack(">H", 1024))
put("calibration", "not_a_number", bytes([0, 10]) + struct.pack(">H", 1024) + calibration_patch(7, 3, float("nan")))
put("calibration", "falling_column", bytes([1, 20]) + struct.pack(">H", 640) + calibration_patch(12, 8, -40.0))
put("calibration", "turning_beyond_camera", bytes([1, 3]) + struct.pack(">H", 608) + calibration_patch(1, 7, -1.0)
    + calibration_patch(1, 8, 1216.0) + calibration_patch(2, 0, 1e300))
put("calibration", "one_byte_short", bytes([3, 5]) + struct.pack(">H", 608) + b"\xff")


# Command-channel batch read: options (bit 0 batch mode off, bits 1-2 series
# 3 to 6), block index, time limit in tenths of a second; then the sensor's
# answers as the walk asks for them (clear or state byte, blocks as a record
# length, the record and the data through "MESSTP,OK,end\r\n").
def memory_block(frames, points, intensity, wide, before=0, batch_frames=None, complete=1, index=9, announced=None):
    announced = frames if announced is None else announced
    record = struct.pack(">IHIHIHHHBBBHHHBH", 1, 2, 3, 4, index, announced if batch_frames is None else batch_frames,
                         before, announced, 0, complete, intensity, points, 0, points, wide, 100)
    data = b"MESSTA,OK,end\r\n" + b"".join(batch_frame(n, points, intensity, wide) for n in range(frames))
    return bytes([len(record)]) + record + data + b"MESSTP,OK,end\r\n"


put("command_batch", "first_batch_whole", bytes([2, 0, 0]) + b"\x00" + memory_block(3, 16, 1, 1))
put("command_batch", "two_blocks_series6", bytes([6, 9, 5]) + b"\x00" * 5
    + memory_block(2, 24, 0, 0, batch_frames=4, complete=0) + b"\x00"
    + memory_block(2, 24, 0, 0, before=2, batch_frames=4, index=10))
put("command_batch", "empty_blocks_until_limit", bytes([4, 3, 1]) + b"\x01\x00"
    + b"".join(bytes([34]) + struct.pack(">IHIHIHHHBBBHHHBH", 0, 0, 0, 0, 3, 5, 0, 0, 0, 0, 0, 8, 0, 8, 0, 0)
               for _ in range(4)))
put("command_batch", "record_refused_and_mode_off", bytes([1, 0, 0]) + b"\x00" + bytes([65]) + bytes(65))
put("command_batch", "fewer_frames_than_announced", bytes([0, 0, 0]) + b"\x00" + memory_block(1, 8, 0, 1, announced=5))

# What Qt's INI reader does beyond plain lines: quoted values with commas,
# lists, escapes (\\x, \\t, \\;), line continuations, percent-encoded keys,
# @Variant/@ByteArray/@Rect values, the General group; and stored addresses
# that are and are not four numbers 0..255.
put("app_settings", "quoting_and_escapes", (
    "; comment\n# another\n[ConnectSetDialog]\nip=\"192.168.1.10\"\nport=\"7\" ; trailing\n"
    "[SETTINGPATH]\nselectList=\"a,b\", c\\, d, \\x4e2d\\x6587, tab\\there, semi\\;colon\n"
    "select=\"12\"\n[SHOWLANGUAGE]\nIndex=\\x31\n").encode())
put("app_settings", "lists_and_variants", (
    "[General]\nloose=@Invalid()\n[%General]\nk=v\n"
    "[HeightDisplay]\nheight_precision=@Variant(\\0\\0\\0\\x6\\x3\\xe8)\nheight_min=@ByteArray(-5)\n"
    "height_max=@Rect(1 2 3 4)\nsize=@Size(3 4)\npoint=@Point(5 6)\n"
    "[ConnectSetDialog]\nip=192.168.1.1, 10.0.0.1\n").encode())
put("app_settings", "continuations_and_encoded_keys", (
    "[d3dy]\nlong=first\\\n  second\\\r\n  third\n%U4E2D%U6587=1\nslash%2Fkey=2\n"
    "[2.5D]\nmvalue_save=true\n[ConnectSetDialog]\nip=010.000.001.255\n").encode())
# Regression: Qt deserializes "@Variant(" values, and a QStringList announcing
# 0x7FFFFFFF strings made it throw while it opened the file.
put("app_settings", "regression_serialized_string_list",
    b"[SETTINGPATH]\nselectList=@Variant(\\0\\0\\0\\xb\\x7f\\xff\\xff\\xff)\nselect=4\n")
for name, address in (("address_out_of_range", "256.1.1.1"), ("address_five_parts", "1.2.3.4.5"),
                      ("address_empty_part", "1..3.4"), ("address_spaces", " 1.2.3.4"),
                      ("address_sign", "+1.2.3.4")):
    put("app_settings", name, ("[ConnectSetDialog]\r\nip=%s\r\nport=7\r\n" % address).encode())

# The data channel: a byte of the piece size the stream is cut into, options
# (bits 0-1 series 3 to 6, bit 2 own connection, bit 3 a silence at the end),
# register settings (a count, then an index into the target's kRegisters and
# a big-endian value each), then the stream as the sensor sends it.
DATA_REGISTERS = [285, 350, 351, 352, 353, 355, 356, 740, 752, 754, 358, 359, 183, 185, 190, 191, 804, 805, 755,
                  291, 325, 326, 327, 328, 329, 330, 331, 772, 741, 742, 774, 775, 776]
SERIES3, SERIES4, SERIES5, SERIES6, OWN, SILENCE_AFTER = 0, 1, 2, 3, 4, 8


def data_info(frames, points, offset, wide=0, intensity=0, pitch=1280000):
    body = struct.pack("<HIBIHHBB", frames, pitch, intensity, 0, points, 0, 0, wide) + bytes(28) \
        + struct.pack("<H", offset)
    return b"info," + body + b",end\r\n"


def data_frame(number, heights, wide=0, intensity=0, fixed=False):
    header = struct.pack(">IIBBIQ", 7, number, 0, 0, 1000 + 10 * number, 5000000 + number) + bytes(10)
    gray = bytes((40 + i) % 256 for i in range(len(heights))) if intensity else b""
    if fixed:  # peak rows: distance 40 r + 20000, height 30000 - 40 r
        values = b"".join(struct.pack("<I", int((30000 - h) / 40 * 65536) if h is not None else 0) for h in heights)
    elif wide:
        values = b"".join(struct.pack("<I", (2 ** 31 + 256 * h) if h is not None else 0) for h in heights)
    else:
        values = b"".join(struct.pack("<H", (32768 + h) if h is not None else 0) for h in heights)
    return b"algdat1," + header + gray + values + b",end\r\n"


def data_stream(frames, points, offset=1000, wide=0, intensity=0, fixed=False, stop=True, step=40):
    profile = [None if i % 13 == 5 else (step if i > points // 2 else 0) + i for i in range(points)]
    out = data_info(frames, points, offset, wide, intensity) + b"MESSTA,OK,end\r\n"
    for n in range(frames):
        out += data_frame(n, profile, wide, intensity, fixed) + b"ticktime," + struct.pack("<I", 100 + n) + b",end\r\n"
        if n == 1:
            out += b"heartbeat,end\r\n"
    return out + (b"MESSTP,OK,end\r\n" if stop else b"")


def data_input(piece, options, registers, stream):
    settings = b"".join(bytes([DATA_REGISTERS.index(r)]) + struct.pack(">I", v & 0xFFFFFFFF) for r, v in registers)
    return bytes([piece, options, len(registers)]) + settings + stream


put("data_messages", "series6_narrow_16bit", data_input(255, SERIES6, [], data_stream(3, 64)))
put("data_messages", "series5_wide_intensity_in_pieces", data_input(10, SERIES5, [], data_stream(3, 48, wide=1, intensity=1)))
put("data_messages", "series4_fixed_point", data_input(255, SERIES4, [], data_stream(3, 40, wide=1, fixed=True)))
put("data_messages", "series3_own_connection_binning", data_input(128, SERIES3 | OWN, [(740, 1)], data_stream(2, 32, offset=400)))
put("data_messages", "temporal_repair_ended_by_silence", data_input(255, SERIES6 | SILENCE_AFTER, [(190, 2), (191, 2)],
                                                                     data_stream(4, 32, stop=False)))
put("data_messages", "extended_width_and_z_offset", data_input(255, SERIES6, [(752, 100), (754, 250), (740, 2)],
                                                                data_stream(2, 64)))
put("data_messages", "rotation_mirror_base_zero_scale", data_input(
    255, SERIES5, [(325, 4000000), (291, 3), (772, 2), (326, -500000), (327, 500000), (328, 600000), (329, 900000),
                   (330, 1), (331, 50000)], data_stream(2, 64, wide=1)))
put("data_messages", "gamma_gray_table_and_steep_steps", data_input(
    255, SERIES6, [(741, 1), (742, 180), (774, 20), (775, 150), (776, 200), (804, 16), (805, 10), (185, 1)],
    data_stream(2, 64, intensity=1, step=3000)))
put("data_messages", "zero_code_step_and_frames_without_info", data_input(
    255, SERIES6, [(353, 0)], b"MESSTA,OK,end\r\n" + data_frame(0, list(range(16))) + data_info(1, 16, 0)
    + data_frame(1, list(range(16))) + b"MESSTP,OK,end\r\n"))
# Regressions: a sensor register asking for rows of 639 million points sized
# every frame's rows by it; a frame outside a batch with the temporal repair on,
# then a batch end, made the repair's flush copy a frame it never released.
put("data_messages", "regression_output_width_beyond_memory",
    data_input(255, SERIES6, [(752, 639000000)], data_stream(2, 16)))
put("data_messages", "regression_flush_before_any_release",
    data_input(255, SERIES6, [(190, 2), (191, 2)], data_info(4, 16, 1000) + data_frame(0, list(range(16)))
               + b"MESSTP,OK,end\r\n"))

if PACKAGE_ONLY:
    package_main(sys.argv[2:])
