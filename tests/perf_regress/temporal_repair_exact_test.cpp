// The temporal repair against the plain algorithm: every frame stored in a
// row of three blocks of 255, every 255 frames the two newest blocks walked
// point by point in time order, frames released 510 calls late.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/processing/temporal_repair.h"
#include "tests/perf_regress/exactness_support.h"

namespace {

using perf_regress::kInvalid;
using perf_regress::same_bits;

class PlainRepair {
public:
    PlainRepair(int fill, int keep, int width)
        : fill_(fill), keep_(keep), width_(width),
          heights_(3, std::vector<double>(255 * size_t(width))),
          gray_(3, std::vector<uint8_t>(255 * size_t(width))) {}

    void setEndCount(int frames) { endCount_ = frames; }

    int run(const double* heights, const uint8_t* gray, int count, std::vector<double>* outHeights,
            std::vector<uint8_t>* outGray) {
        int state = -1;
        if (!heights && frameCount_ < endCount_) endCount_ = frameCount_;
        const int block = (frameCount_ / 255) % 3, row = frameCount_ % 255;
        const int stored = heights ? std::clamp(count, 0, width_) : 0;
        for (int p = 0; p < width_; ++p) {
            height(block, row, p) = p < stored ? heights[p] : kInvalidHeight;
            grayAt(block, row, p) = p < stored && gray ? gray[p] : 0;
        }
        if (row == 254 && frameCount_ >= 509) window((block + 2) % 3, block);
        const long long releaseEnd = static_cast<long long>(endCount_) + 509;
        if (frameCount_ > 509 && frameCount_ <= releaseEnd) {
            const int oldest = (block + 1) % 3;
            outHeights->assign(&height(oldest, row, 0), &height(oldest, row, 0) + width_);
            outGray->assign(&grayAt(oldest, row, 0), &grayAt(oldest, row, 0) + width_);
            state = 0;
        }
        if (frameCount_ == releaseEnd) state = 1;
        ++frameCount_;
        return state;
    }

private:
    double& height(int block, int row, int p) { return heights_[block][size_t(row) * width_ + p]; }
    uint8_t& grayAt(int block, int row, int p) { return gray_[block][size_t(row) * width_ + p]; }

    // Each point alone, its 510 values in time order.
    void window(int previous, int current) {
        auto h = [&](int t, int p) -> double& {
            return t < 255 ? height(previous, t, p) : height(current, t - 255, p);
        };
        auto g = [&](int t, int p) -> uint8_t& {
            return t < 255 ? grayAt(previous, t, p) : grayAt(current, t - 255, p);
        };
        for (int p = 0; p < width_; ++p) {
            int run = 0, stretch = 0;
            for (int t = 0; t < 510; ++t) {
                if (!(h(t, p) > kInvalidHeight)) {
                    if (run > 0 && run < keep_) {
                        for (int e = t - run; e < t; ++e) h(e, p) = kInvalidHeight, g(e, p) = 0;
                        stretch += run + 1;
                    } else {
                        stretch += 1;
                    }
                    run = 0;
                    continue;
                }
                ++run;
                if (run == keep_ && stretch > 0) {
                    const int gapStart = t - keep_ + 1 - stretch, before = gapStart - 1;
                    if (stretch < fill_ && before > 0)
                        for (int e = gapStart; e < gapStart + stretch; ++e)
                            h(e, p) = h(before, p), g(e, p) = g(before, p);
                    stretch = 0;
                }
            }
        }
    }

    int fill_, keep_, width_;
    int frameCount_ = 0, endCount_ = 9999999;
    std::vector<std::vector<double>> heights_;
    std::vector<std::vector<uint8_t>> gray_;
};

// Frames whose points are steady, always invalid, flickering, or valid with
// short gaps, each point keeping its character through the sequence.
TEST(TemporalRepairExactness, MatchesThePlainAlgorithmBitForBit) {
    std::mt19937 rng(5150);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    struct Case {
        int fill, keep, width, frames;
    } cases[] = {{3, 2, 200, 1300}, {5, 5, 64, 1100}, {1, 1, 65, 800},  {40, 12, 130, 1400},
                 {0, 3, 70, 900},   {4, 0, 70, 900},  {512, 512, 9, 1600}, {2, 7, 128, 530}};
    for (const Case& c : cases) {
        SCOPED_TRACE("fill " + std::to_string(c.fill) + " keep " + std::to_string(c.keep) +
                     " width " + std::to_string(c.width));
        std::vector<double> flicker(c.width);
        for (double& f : flicker) {
            const double kind = unit(rng);
            f = kind < 0.5 ? 0.0 : kind < 0.6 ? 1.0 : kind < 0.8 ? 0.05 : 0.4;
        }
        processTimeInvalid stage(c.fill, c.keep, c.width, kInvalid);
        PlainRepair plain(c.fill, c.keep, c.width);
        std::vector<double> heights(c.width), plainHeights;
        std::vector<uint8_t> gray(c.width), plainGray;
        auto compare = [&](int call, int state, int plainState, double* out, uint8_t* outGray) {
            ASSERT_EQ(state, plainState) << "call " << call;
            if (state == -1) return;
            ASSERT_TRUE(same_bits(std::vector<double>(out, out + c.width), plainHeights)) << "call " << call;
            ASSERT_EQ(std::vector<uint8_t>(outGray, outGray + c.width), plainGray) << "call " << call;
        };
        for (int f = 0; f < c.frames; ++f) {
            for (int p = 0; p < c.width; ++p) {
                heights[p] = unit(rng) < flicker[p] ? kInvalidHeight : 100.0 * unit(rng) - 50.0;
                gray[p] = static_cast<uint8_t>(rng());
            }
            const int count = f % 97 == 5 ? c.width / 2 : c.width;  // now and then a narrower frame
            double* out = nullptr;
            uint8_t* outGray = nullptr;
            const int state = stage.run(heights.data(), f % 50 == 7 ? nullptr : gray.data(), count,
                                        &out, &outGray);
            const int plainState = plain.run(heights.data(), f % 50 == 7 ? nullptr : gray.data(),
                                             count, &plainHeights, &plainGray);
            ASSERT_NO_FATAL_FAILURE(compare(f, state, plainState, out, outGray));
        }
        stage.setEndCount(c.frames);
        plain.setEndCount(c.frames);
        for (int call = 0; call < 1000; ++call) {
            double* out = nullptr;
            uint8_t* outGray = nullptr;
            const int state = stage.run(nullptr, nullptr, 0, &out, &outGray);
            const int plainState = plain.run(nullptr, nullptr, 0, &plainHeights, &plainGray);
            ASSERT_NO_FATAL_FAILURE(compare(c.frames + call, state, plainState, out, outGray));
            if (state == 1) break;
        }
    }
}

// A processor whose temporal repair changes nothing (fill and keep limits of
// 1) hands out, with binning and z offsets, each frame 510 calls late exactly
// as a processor without the repair gives that frame at once: the released
// frame is copied, binned and offset as the frame itself would be.
TEST(TemporalRepairExactness, ReleasedFramesAreBinnedAndOffsetLikeFramesWithoutRepair) {
    struct Geometry {
        int columns, points;
        double pointsPerColumn;
        int frameColumns, startColumn;
        uint32_t binning;  // register 740
        int offsets;       // z-offset entries
    } geometries[] = {{848, 848, 1.0, 848, 0, 1, 900}, {2048, 3200, 1.5625, 2048, 0, 2, 3000},
                      {848, 848, 1.0, 500, 100, 0, 848}};
    std::vector<double> coefficients(kCalibrationCoefficients, 0.0);
    coefficients[kCalibrationCoefficients - 2] = 2.0;
    const CalibrationTable table(kCalibrationColumns, coefficients);
    for (const Geometry& geo : geometries) {
        SCOPED_TRACE(std::to_string(geo.points) + " points, " + std::to_string(geo.frameColumns) + " columns");
        std::mt19937 rng(geo.points + geo.frameColumns);
        struct Sensor {
            hvq5_settings settings;
            zp_laser_reg::laser_params params{};
            std::unique_ptr<ProfileProcessor> processor;
        } repaired, plain;
        for (Sensor* sensor : {&repaired, &plain}) {
            std::memcpy(sensor->params.model, "ZP4000", 7);
            const double xScale[3] = {0.0, 0.0, 1.0};
            std::memcpy(reinterpret_cast<unsigned char*>(&sensor->params) + 90, xScale, sizeof xScale);
            sensor->params.z_range_reference = 1000;
            sensor->params.z_range_lower = -200;
            sensor->params.z_range_upper = 200;
            hvq5_settings& s = sensor->settings;
            s.set_regvals(285, 64);
            s.set_regvals(350, 1000 * 256);
            s.set_regvals(353, 65536);
            s.set_regvals(183, 3);
            s.set_regvals(804, 20 << 4);
            s.set_regvals(805, 30);
            s.set_regvals(740, geo.binning);
            s.set_regvals(190, sensor == &repaired ? 1 : 0);
            s.set_regvals(191, sensor == &repaired ? 1 : 0);
            HVQ5_2_EXTEND* extend = s.get_sdk_extend();
            extend->enable = 1;
            extend->z_offset_count = geo.offsets;
            for (int i = 0; i < geo.offsets; ++i) extend->z_offset[i] = i % 13 - 6;
            sensor->processor = std::make_unique<ProfileProcessor>(geo.columns, geo.points, geo.pointsPerColumn);
            sensor->processor->bind(&s, &sensor->params);
            ASSERT_TRUE(sensor->processor->setCalibration(table));
        }
        constexpr int kDelay = 510, kFrames = kDelay + 40;
        std::vector<std::vector<uint16_t>> words(kFrames, std::vector<uint16_t>(geo.frameColumns));
        std::vector<std::vector<uint8_t>> gray(kFrames, std::vector<uint8_t>(geo.frameColumns));
        for (int f = 0; f < kFrames; ++f)
            for (int c = 0; c < geo.frameColumns; ++c) {
                words[f][c] = rng() % 23 == 0 ? 0 : static_cast<uint16_t>(32768 + 50 + rng() % 100);
                gray[f][c] = static_cast<uint8_t>(rng());
            }
        const int binning = 1 << geo.binning;
        auto process = [&](Sensor& sensor, int f) {
            return sensor.processor->process(0, reinterpret_cast<const uint32_t*>(words[f].data()), gray[f].data(),
                                             geo.startColumn, geo.frameColumns, true, false, f == 0, binning);
        };
        for (int f = 0; f < kFrames; ++f) {
            const int result = process(repaired, f);
            if (f < kDelay) {
                ASSERT_EQ(repaired.processor->frameReady, 0) << f;
                continue;
            }
            ASSERT_EQ(repaired.processor->frameReady, 1) << f;
            ASSERT_EQ(result, process(plain, f - kDelay)) << f;
            ASSERT_TRUE(same_bits(repaired.processor->heights(), plain.processor->heights())) << f;
            const uint8_t* releasedGray = repaired.processor->grayOutRow();
            ASSERT_EQ(std::vector<uint8_t>(releasedGray, releasedGray + geo.points),
                      std::vector<uint8_t>(plain.processor->grayOutRow(), plain.processor->grayOutRow() + geo.points))
                << f;
        }
    }
}

}  // namespace
