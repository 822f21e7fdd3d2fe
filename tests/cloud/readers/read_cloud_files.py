#!/usr/bin/python3
"""Reads files that the cloud writers made, with readers that share no code
with them, and prints what each holds for the test to compare:

  points N FIELD...      then N lines of values (open3d: PCD and PLY)
  image MODE ROWS COLS CHANNELS READER   then one line of values per row
                         (tifffile for TIFF pixels where it can decode them,
                         else Pillow; Pillow for BMP and JPEG)
  tiff DTYPE ROWS COLS COMPRESSION       the tags, from tifffile

Each block starts with "file PATH"; a file no reader takes gives "error TEXT".
"""
import os
import sys

import numpy as np


def number(value):
    return repr(float(value))


def points(path):
    import open3d as o3d
    o3d.utility.set_verbosity_level(o3d.utility.VerbosityLevel.Error)
    legacy = o3d.io.read_point_cloud(path, remove_nan_points=False, remove_infinite_points=False)
    tensor = o3d.t.io.read_point_cloud(path)
    columns = [np.asarray(legacy.points)]
    names = ["x", "y", "z"]
    if "intensity" in tensor.point:
        columns.append(tensor.point["intensity"].numpy().reshape(-1, 1))
        names.append("intensity")
    if legacy.has_colors():
        columns.append(np.rint(np.asarray(legacy.colors) * 255.0))
        names += ["red", "green", "blue"]
    if "alpha" in tensor.point:
        columns.append(tensor.point["alpha"].numpy().reshape(-1, 1))
        names.append("alpha")
    table = np.hstack([np.asarray(c, dtype=np.float64) for c in columns])
    print("points", len(table), *names)
    for row in table:
        print(" ".join(number(v) for v in row))


def image(path):
    from PIL import Image
    reader = "pillow"
    pixels = None
    mode = "-"
    if path.endswith((".tif", ".tiff")):
        import tifffile
        with tifffile.TiffFile(path) as tiff:
            page = tiff.pages[0]
            print("tiff", page.dtype, page.shape[0], page.shape[1], int(page.compression))
            try:
                pixels = page.asarray()
                reader = "tifffile"
            except Exception:  # OpenCV's LZW needs a codec Debian does not ship
                pixels = None
    if pixels is None:
        with Image.open(path) as picture:
            mode = picture.mode
            pixels = np.array(picture)
    channels = 1 if pixels.ndim == 2 else pixels.shape[2]
    print("image", mode, pixels.shape[0], pixels.shape[1], channels, reader)
    for row in pixels.reshape(pixels.shape[0], -1):
        print(" ".join(number(v) for v in row))


def main():
    for path in sys.argv[1:]:
        print("file", path)
        try:
            if path.endswith((".pcd", ".ply")):
                points(path)
            else:
                image(path)
        except Exception as error:  # reported, the test fails on it
            print("error", str(error).replace("\n", " "))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
