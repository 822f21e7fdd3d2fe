#pragma once
// The working rows of one frame through the profile pipeline: per camera
// column the distances, x positions, heights, gray bytes and run marks, per
// grid point the x grid and the profile. A processor keeps one set for its own
// frames; frames processed on other threads each bring theirs.
#include <cstdint>
#include <vector>

#include "sensor_interface/processing/resampling.h"
#include "sensor_interface/processing/rotation.h"

struct FrameRows {
    FrameRows(int columns, int points);

    int columns() const { return static_cast<int>(x.size()); }
    int points() const { return static_cast<int>(heights.size()); }

    std::vector<double> heights;    // points: the profile
    std::vector<double> grid;       // points: x of each grid point
    std::vector<uint8_t> gray;      // points
    std::vector<uint8_t> grayIn;    // columns: the frame's intensity bytes
    std::vector<double> peakRows;   // columns: fixed-point peak rows
    std::vector<double> x;          // columns
    std::vector<double> z;          // columns: distance, then height
    std::vector<int32_t> marks;     // columns: run marks
    double pitch = 0.0;             // register 285 / 100 of the last grid
    int frameColumns = 0;           // columns of the last frame

    // What the grid was last built (and, for a frame narrower than the head,
    // aligned) from, so that a frame like the one before reuses it; cleared
    // when the grid is shifted otherwise.
    struct GridKey {
        bool valid = false;
        int first = 0, count = 0;
        double pitch = 0.0;
        bool aligned = false;
        int startColumn = 0, columns = 0, rowA = 0, rowB = 0;
        double xScale[3] = {0.0, 0.0, 0.0};
        unsigned calibration = 0;
        bool operator==(const GridKey& o) const {
            return valid && o.valid && first == o.first && count == o.count && pitch == o.pitch &&
                   aligned == o.aligned && startColumn == o.startColumn && columns == o.columns && rowA == o.rowA &&
                   rowB == o.rowB && xScale[0] == o.xScale[0] && xScale[1] == o.xScale[1] &&
                   xScale[2] == o.xScale[2] && calibration == o.calibration;
        }
    } builtGrid;
    // Of the grid's contents: forgotten whenever the grid is written.
    GridFacts gridFacts;
    kx_rotate_2d rotator;
};
