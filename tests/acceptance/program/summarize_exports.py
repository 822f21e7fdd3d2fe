#!/usr/bin/python3
"""Reads the program's batch exports with readers that share no code with the
writers (csv, tifffile + Pillow, open3d) and prints a summary small enough
for the test to compare with the scene, whatever the batch's size:

  file PATH
  grid ROWS COLS SAME          CSV and TIFF: SAME is 1 when every row equals
                               the first (NaN equal to NaN)
  row V0 V1 ...                the first row
  tiff DTYPE ROWS COLS         the TIFF's tags (tifffile)
  points N FIELDS...           PCD and PLY
  column X ZMIN ZMAX COUNT     the points of one x (rounded to 1e-4 mm)
  error TEXT                   a file no reader takes
"""
import csv
import sys

import numpy as np


def grid(values):
    values = np.asarray(values, dtype=np.float64)
    first = values[0]
    same = all(np.array_equal(row, first, equal_nan=True) for row in values)
    print("grid", values.shape[0], values.shape[1], 1 if same else 0)
    print("row", " ".join(repr(float(v)) for v in first))


def read_csv(path):
    with open(path, newline="") as text:
        rows = [[float(v) for v in row] for row in csv.reader(text, skipinitialspace=True) if row]
    grid(rows)


def read_tiff(path):
    import tifffile
    from PIL import Image
    with tifffile.TiffFile(path) as tiff:
        page = tiff.pages[0]
        print("tiff", page.dtype, page.shape[0], page.shape[1])
    # OpenCV's TIFFs are LZW-compressed: Pillow decodes them.
    with Image.open(path) as picture:
        grid(np.array(picture))


def read_cloud(path):
    import open3d as o3d
    o3d.utility.set_verbosity_level(o3d.utility.VerbosityLevel.Error)
    cloud = o3d.io.read_point_cloud(path, remove_nan_points=False, remove_infinite_points=False)
    points = np.asarray(cloud.points, dtype=np.float64)
    tensor = o3d.t.io.read_point_cloud(path)
    fields = ["x", "y", "z"] + (["intensity"] if "intensity" in tensor.point else [])
    print("points", len(points), *fields)
    columns = {}
    for x, _, z in points:
        key = round(x, 4)
        low, high, count = columns.get(key, (z, z, 0))
        columns[key] = (min(low, z), max(high, z), count + 1)
    for key in sorted(columns):
        low, high, count = columns[key]
        print("column", repr(key), repr(low), repr(high), count)


def main():
    for path in sys.argv[1:]:
        print("file", path)
        try:
            if path.endswith((".pcd", ".ply")):
                read_cloud(path)
            elif path.endswith(".csv"):
                read_csv(path)
            else:
                read_tiff(path)
        except Exception as error:  # reported; the test fails on it
            print("error", str(error).replace("\n", " "))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
