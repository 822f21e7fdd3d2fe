#!/usr/bin/python3
"""Reads the files of the height-map export with readers that share no code
with the writers, and prints what each holds for the test to compare:

  tiff DTYPE ROWS COLS     the TIFF tags, from tifffile
  image ROWS COLS          then one line of pixel values per row (Pillow:
                           OpenCV's TIFFs are LZW-compressed, which tifffile
                           cannot decode without imagecodecs)
  points N FIELD...        then N lines of values (open3d: PCD and PLY)
  table N                  then N lines of fields (Python's csv: CSV and text)

Each block starts with "file PATH"; a file no reader takes gives "error TEXT".
"""
import csv
import sys

import numpy as np


def number(value):
    return repr(float(value))


def image(path):
    from PIL import Image
    if path.endswith((".tif", ".tiff")):
        import tifffile
        with tifffile.TiffFile(path) as tiff:
            page = tiff.pages[0]
            print("tiff", page.dtype, page.shape[0], page.shape[1])
    with Image.open(path) as picture:
        pixels = np.array(picture)
    print("image", pixels.shape[0], pixels.shape[1])
    for row in pixels:
        print(" ".join(number(v) for v in row))


def points(path):
    import open3d as o3d
    o3d.utility.set_verbosity_level(o3d.utility.VerbosityLevel.Error)
    legacy = o3d.io.read_point_cloud(path, remove_nan_points=False, remove_infinite_points=False)
    tensor = o3d.t.io.read_point_cloud(path)
    columns = [np.asarray(legacy.points, dtype=np.float64)]
    names = ["x", "y", "z"]
    if "intensity" in tensor.point:
        columns.append(tensor.point["intensity"].numpy().reshape(-1, 1).astype(np.float64))
        names.append("intensity")
    table = np.hstack(columns)
    print("points", len(table), *names)
    for row in table:
        print(" ".join(number(v) for v in row))


def table(path):
    with open(path, newline="") as text:
        rows = [row for row in csv.reader(text, skipinitialspace=True) if row]
    print("table", len(rows))
    for row in rows:
        print(" ".join(number(v) for v in row))


def main():
    for path in sys.argv[1:]:
        print("file", path)
        try:
            if path.endswith((".pcd", ".ply")):
                points(path)
            elif path.endswith((".csv", ".txt")):
                table(path)
            else:
                image(path)
        except Exception as error:  # reported; the test fails on it
            print("error", str(error).replace("\n", " "))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
