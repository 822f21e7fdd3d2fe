#pragma once
// Stands in for the camera image page's cursor service (its slot
// slot_set_cursor_x): keeps what it would draw, by the same rules, and every
// call it received.
#include <QObject>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace mirevo::test {

class CameraCursorRecorder : public QObject {
    Q_OBJECT

public:
    using Call = std::array<int, 5>;

    // Area rectangles (start, end column) and the boundary line as drawn.
    std::optional<std::pair<int, int>> area(int index) const { return areas_[index]; }
    std::optional<int> boundary() const { return boundary_; }
    const std::vector<Call>& calls() const { return calls_; }
    void clear() { calls_.clear(); }

public slots:
    // An area with a negative end is removed; the boundary is removed when
    // its value, taken as unsigned, exceeds 2047 (so -1 removes it).
    void slot_set_cursor_x(int x1_start, int x1_end, int x2_start, int x2_end, int boundary);

private:
    std::optional<std::pair<int, int>> areas_[2];
    std::optional<int> boundary_;
    std::vector<Call> calls_;
};

}  // namespace mirevo::test
