#include "tools/sensor_sim/imaging_registers.h"

#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {

namespace {

struct ImagingRegister {
    uint32_t address;
    uint32_t value;
};

constexpr ImagingRegister kImagingRegisters[] = {
    // exposure: index 4 of the list (100 us), the time itself, its limits
    {286, 4}, {162, 100}, {211, 1000}, {212, 2},
    // single-frame HDR range, gain, fill-in count, peak selection (standard), object kind
    {288, 0}, {161, 0}, {183, 0}, {431, 2}, {800, 1},
    // grey thresholds of the peak search: low, high
    {401, 40}, {400, 100},
    // laser power: control mode AUTO, the LOCK value (half the scale)
    {290, 0}, {158, 32768},
    // multi-frame HDR off, one frame, grey frame 1, weighted merge, frame exposures
    {221, 0}, {238, 1}, {266, 1}, {474, 0}, {261, 100}, {262, 50}, {263, 20},
    // halo filter off; widths and ratio in use and their user-defined copies
    {801, 0}, {430, 3}, {427, 20}, {426, 512}, {756, 4}, {757, 30}, {758, 384},
    // grey image: sharpening off, gamma off at 1.00, widening 1, effect 0,
    // binning off, sampling window 5, drop edges off, grey map 0..255 slope 1.00
    {450, 0x683E0E00u}, {451, 0x00000E3Eu}, {741, 0}, {742, 100}, {436, 1}, {441, 0}, {740, 0},
    {442, 5}, {433, 0}, {774, 0}, {776, 255}, {775, 100},
    // peak selection of the continuity mode: thresholds 5.00 and 2.00 (x 128),
    // repair to the right first, fill unlimited, sampling window 9
    {443, 640}, {444, 256}, {445, 0}, {446, 0}, {447, 9},
};

}  // namespace

void presetImagingRegisters(SimSensor& sensor, int cameraRows) {
    sensor.setReg(11, static_cast<uint32_t>(cameraRows));
    for (const ImagingRegister& r : kImagingRegisters) sensor.setReg(r.address, r.value);
}

}  // namespace sensor_sim
