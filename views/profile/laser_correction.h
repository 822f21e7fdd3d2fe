#pragma once
// Records the tilt-correction chart hands to the correction form.
#include <QMetaType>

#include <cstdint>

namespace tevu {

struct laser_correction {
    uint8_t mode = 0;  // non-zero: the record shows two areas
    double value = 0.0;
    double area1Begin = 0.0;  // left x of area 1, mm
    double area1End = 0.0;    // right x of area 1, mm
    double area2Begin = 0.0;  // left x of area 2, mm
    double area2End = 0.0;    // right x of area 2, mm
};

// What a button of the correction form asks of its host.
enum enumBtnEnv : int {
    btnEnvClose = 2,
};

}  // namespace tevu

Q_DECLARE_METATYPE(tevu::laser_correction)
Q_DECLARE_METATYPE(tevu::enumBtnEnv)
