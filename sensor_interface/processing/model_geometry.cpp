#include "sensor_interface/processing/model_geometry.h"

std::atomic<int32_t> lastColumns{2048};
std::atomic<int32_t> lastRows{608};
std::atomic<int32_t> lastPoints{6000};
std::atomic<double> lastPointsPerColumn{2.9296875};

double points_per_column(int points, int columns) {
    if (columns <= 0) return 0.0;
    return static_cast<double>(static_cast<float>(points) / static_cast<float>(columns));
}

std::optional<ModelGeometry> model_geometry_for_series(char series) {
    auto make = [](int columns, int rows, int points) {
        return ModelGeometry{columns, rows, points, points_per_column(points, columns)};
    };
    switch (series) {
        case '3': return make(848, 640, 848);
        case '4': return make(2048, 608, 3200);
        case '5': return make(2048, 1024, 4096);
        case '6': return make(2048, 1024, 6000);
        default: return std::nullopt;
    }
}

void store_last_geometry(const ModelGeometry& geometry) {
    lastColumns.store(geometry.columns);
    lastRows.store(geometry.rows);
    lastPoints.store(geometry.points);
    lastPointsPerColumn.store(geometry.pointsPerColumn);
}
