// The cloud filter's pass over a batch's int32 rows.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sensor_interface/processing/weld_filter.h"
#include "sensor_interface/registry/batch_handlers.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int32_t kInvalid = -999900000;

struct RoundTripCase {
    const char* name;
    CloudRows kind;
    int32_t in;
    int32_t out;
};

class CloudRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(CloudRoundTrip, ValuesMakeTheSinglePrecisionRoundTrip) {
    const RoundTripCase& c = GetParam();
    int32_t row[] = {c.in};
    std::vector<float> scratch;
    cloud_filter_rows(0, row, nullptr, 1, 1, c.kind, nullptr, scratch);
    EXPECT_EQ(row[0], c.out);
}

INSTANTIATE_TEST_SUITE_P(
    Values, CloudRoundTrip,
    ::testing::Values(RoundTripCase{"HundredthsExact", CloudRows::Hundredths, 123456, 123456},
                      // 1234.57 has no float; the one below it comes back truncated.
                      RoundTripCase{"HundredthsTruncatedThroughFloat", CloudRows::Hundredths, 123457, 123456},
                      RoundTripCase{"HundredthsNegative", CloudRows::Hundredths, -123456, -123456},
                      RoundTripCase{"InvalidMarkerStaysExact", CloudRows::Hundredths, kInvalid, kInvalid},
                      RoundTripCase{"CodeExact", CloudRows::Codes, 40000, 40000},
                      RoundTripCase{"CodeBeyondFloatDigits", CloudRows::Codes, 16777217, 16777216},
                      RoundTripCase{"InvalidCode", CloudRows::Codes, 0, 0}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

// Six frames of four points in hundredths: a spatter point in the narrow head
// of the seam, then full-width rows.
struct SeamBatch {
    std::vector<int32_t> rows = {
        kInvalid, 500000,   kInvalid, kInvalid,  // spatter at 5000 um
        100000,   kInvalid, 100000,   kInvalid,  // the bead begins
        100000,   100000,   100000,   100000,    // full width from here
        100000,   100000,   100000,   100000,   100000, 100000, 100000, 100000, 100000, 100000, 100000, 100000,
    };
    std::vector<uint8_t> gray = std::vector<uint8_t>(24, 200);
};

WeldFilterParams seamWeld(uint32_t grayFilter) {
    // Register 777 full width 4, 778 gray, 779 head only, 785 threshold 1000 um.
    return WeldFilterParams::fromRegisters(4, grayFilter, 1, 1000, false);
}

class CloudWeld : public ::testing::Test {
protected:
    mirevo::test::TempDir folder_;
    mirevo::test::ScopedWorkingDir inFolder_{folder_.path()};
    std::vector<float> scratch_;
};

TEST_F(CloudWeld, WeldRemovesSpatterAsTheExactInvalidMarkerAndZeroesItsGray) {
    SeamBatch batch;
    const WeldFilterParams weld = seamWeld(1);
    cloud_filter_rows(3, batch.rows.data(), batch.gray.data(), 6, 4, CloudRows::Hundredths, &weld, scratch_);
    SeamBatch expected;
    expected.rows[1] = kInvalid;
    expected.gray[1] = 0;
    EXPECT_EQ(batch.rows, expected.rows);
    EXPECT_EQ(batch.gray, expected.gray);
}

TEST_F(CloudWeld, GrayStaysWhenItsFilterIsOff) {
    SeamBatch batch;
    const WeldFilterParams weld = seamWeld(0);
    cloud_filter_rows(3, batch.rows.data(), batch.gray.data(), 6, 4, CloudRows::Hundredths, &weld, scratch_);
    EXPECT_EQ(batch.rows[1], kInvalid);
    EXPECT_EQ(batch.gray, SeamBatch().gray);
}

TEST_F(CloudWeld, WithoutWeldTheSpatterStays) {
    SeamBatch batch;
    cloud_filter_rows(3, batch.rows.data(), batch.gray.data(), 6, 4, CloudRows::Hundredths, nullptr, scratch_);
    EXPECT_EQ(batch.rows, SeamBatch().rows);
    EXPECT_EQ(batch.gray, SeamBatch().gray);
}

TEST_F(CloudWeld, NothingHappensWithoutRows) {
    std::vector<int32_t> rows = {123457};
    cloud_filter_rows(0, rows.data(), nullptr, 0, 1, CloudRows::Hundredths, nullptr, scratch_);
    cloud_filter_rows(0, nullptr, nullptr, 1, 1, CloudRows::Hundredths, nullptr, scratch_);
    EXPECT_EQ(rows[0], 123457);
}

}  // namespace
