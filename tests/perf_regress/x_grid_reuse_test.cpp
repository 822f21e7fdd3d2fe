// A processor that reuses its x grid from frame to frame gives the grid and
// heights of a processor that sees the frame alone, also when narrower frames
// (whose grids are shifted onto the calibration) come in between.
#include <gtest/gtest.h>

#include <vector>

#include "tests/perf_regress/exactness_support.h"
#include "tests/processor/frame_scene.h"

namespace {

using namespace processor_test;

struct Sensor {
    Sensor() : processor(kColumns, kColumns, 1.0) {
        configure_scene(settings, params);
        processor.bind(&settings, &params);
        // Not 0 at row 0, so that narrow frames are shifted, but 0 at row 320,
        // so that a reference row there leaves them unshifted.
        std::vector<double> coefficients(kCalibrationCoefficients, 0.0);
        coefficients[kCalibrationCoefficients - 2] = 2.0;
        coefficients[kCalibrationCoefficients - 1] = -640.0;
        processor.setCalibration(CalibrationTable(kCalibrationColumns, coefficients));
    }
    hvq5_settings settings;
    zp_laser_reg::laser_params params{};
    ProfileProcessor processor;
};

struct Frame {
    int first, n;
    uint32_t pitchRegister;
    int referenceRow = 0;
};

void run(Sensor& s, const Frame& f) {
    s.settings.set_regvals(285, f.pitchRegister);
    s.settings.get_sdk_extend()->ref_row_a = f.referenceRow;
    std::vector<uint16_t> words(f.n);
    for (int i = 0; i < f.n; ++i)
        words[i] = static_cast<uint16_t>(scene_word(Words::Bits16, scene_height(f.first + i)));
    s.processor.process(0, reinterpret_cast<const uint32_t*>(words.data()), nullptr, f.first, f.n,
                        false, false, true, 1);
}

TEST(XGridReuse, EveryFrameSeesTheGridItWouldHaveAlone) {
    Sensor reused;
    const Frame frames[] = {{0, kColumns, 100},     {0, kColumns, 100}, {100, 400, 100},
                            {100, 400, 100},        {0, kColumns, 100}, {200, 300, 100},
                            {200, 300, 100, 320},   {100, 400, 100},    {100, 400, 100, 320},
                            {0, kColumns, 90},      {0, kColumns, 100}, {0, 500, 100},
                            {0, 500, 100},          {0, kColumns, 100}};
    for (const Frame& f : frames) {
        Sensor alone;
        // The lone processor has seen a full frame first, as every sensor has.
        run(alone, {0, kColumns, f.pitchRegister, f.referenceRow});
        run(alone, f);
        run(reused, f);
        EXPECT_TRUE(perf_regress::same_bits(reused.processor.xGrid(), alone.processor.xGrid()))
            << f.first << " " << f.n;
        EXPECT_TRUE(perf_regress::same_bits(reused.processor.heights(), alone.processor.heights()))
            << f.first << " " << f.n;
    }
}

}  // namespace
