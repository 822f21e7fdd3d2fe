#include "tests/support/settings_host/camera_cursor_recorder.h"

#include <cstdint>

namespace mirevo::test {

void CameraCursorRecorder::slot_set_cursor_x(int x1_start, int x1_end, int x2_start, int x2_end, int boundary) {
    calls_.push_back({x1_start, x1_end, x2_start, x2_end, boundary});
    const std::pair<int, int> given[2] = {{x1_start, x1_end}, {x2_start, x2_end}};
    for (int i = 0; i < 2; ++i) {
        if (given[i].second < 0)
            areas_[i].reset();
        else
            areas_[i] = given[i];
    }
    if (static_cast<uint32_t>(boundary) > 2047u)
        boundary_.reset();
    else
        boundary_ = boundary;
}

}  // namespace mirevo::test
