#pragma once
// The X region of interest in output points and the sensor's 16-column
// window registers (358 width, 359 first column), as pure arithmetic.
#include <cstdint>

namespace x_roi {

struct ColumnWindow {
    uint32_t firstColumn;
    uint32_t columns;
};

// The window for output points start..end of a head with `points` points and
// `columnLimit` camera columns at pointsPerColumn points per column: the first
// column rounded down to a multiple of 16, the window ending after the
// 16-column block that holds end, at most columnLimit wide. False when the
// points are out of range or empty (start >= end), or the geometry is unknown.
bool window_for_points(int start, int end, int points, int columnLimit, double pointsPerColumn,
                       ColumnWindow& window);

// First output point of a window starting at register 359's column.
uint32_t first_point(uint32_t firstColumn, double pointsPerColumn);
// Last output point inside the window of register 358's width.
int last_point(uint32_t columns, uint32_t firstPoint, double pointsPerColumn);

}  // namespace x_roi
