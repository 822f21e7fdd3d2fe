#pragma once
// Camera and profile geometry of each head series, and the process-wide copy of
// the geometry of the sensor whose head information was read last.
#include <atomic>
#include <cstdint>
#include <optional>

struct ModelGeometry {
    int columns = 0;            // camera columns
    int rows = 0;               // camera rows
    int points = 0;             // profile points
    double pointsPerColumn = 0.0;
};

// The geometry of a series character ('3' to '6'); empty for any other.
std::optional<ModelGeometry> model_geometry_for_series(char series);

// Points per column as the sensor computes it: in single precision, widened.
double points_per_column(int points, int columns);

// Geometry of the sensor opened last, read by the output width, the frame test
// of the data channel and the windows. Before any sensor is opened they hold
// the widest model's values.
extern std::atomic<int32_t> lastColumns;
extern std::atomic<int32_t> lastRows;
extern std::atomic<int32_t> lastPoints;
extern std::atomic<double> lastPointsPerColumn;

void store_last_geometry(const ModelGeometry& geometry);
