#pragma once
// The 3D cleaning options chosen in the 3D options dialog. The height view
// keeps a copy and hands it to the 3D view, which runs HeightMapDenoise with
// it; the fields are in the order both of them copy.

struct DenoiseParams {
    bool enabled = false;         // "开启优化"
    double window = 32;           // points of the moving average along a column
    double k = 1;                 // standard-deviation factor of the outlier test
    double dz = 1;                // smallest residual that counts as an outlier (mm)
    double removeRadius = 0;      // rows cleared on either side of an outlier
    double minRun = 5;            // runs of at most this many points inside a gap are noise
    double maxGap = 0;            // gaps of at most this many points are filled
    double slopeThreshold = 5.0;  // below it a gap is filled linearly, else with its higher end
};

// The mesh refinement rate that the 3D options dialog last handed on; the mesh
// builder reads it. Process-wide, GUI thread only.
extern float refinementRate;
