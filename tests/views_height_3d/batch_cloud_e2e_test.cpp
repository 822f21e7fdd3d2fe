// The current batch of the real client (opened on the simulator) as the cloud
// the 3D view draws: only the batch's own rows, each cut or padded to the
// profile's points, the range and every height (nulls too) multiplied, the
// cleaning applied when asked for.
#include <gtest/gtest.h>

#include <mutex>
#include <utility>

#include "tests/support/qt/client_fixture.h"
#include "views/height/view3d/batch_cloud.h"

namespace {

using kx::common::kxCloud;

constexpr double kNull = -9999.0;

class BatchCloudTest : public mirevo::test::ClientFixture {
protected:
    void TearDown() override {
        client().displayRange = HeightDisplayRange{};
        setRows({});
        mirevo::test::ClientFixture::TearDown();
    }

    // Places rows in the client's batch as its batch thread would; the first
    // `count` of them form the current batch (all of them when count < 0).
    void setRows(const std::vector<std::vector<double>>& rows, int count = -1) {
        LinelaserClient& c = client();
        std::lock_guard<std::mutex> lock(c.batchMutex);
        for (size_t r = 0; r < 16; ++r) c.batchHeights[r].clear();
        for (size_t r = 0; r < rows.size(); ++r) c.batchHeights[r] = rows[r];
        c.batchProfileCount = count < 0 ? static_cast<int>(rows.size()) : count;
    }
    void setProfileDistance(int hundredThousandths) {
        int on = 1;
        ASSERT_EQ(client().cfgRegister(1, 283, &on), 0);
        ASSERT_EQ(client().cfgRegister(1, 284, &hundredThousandths), 0);
    }
    int points() { return client().profilePointCount(); }
};

TEST_F(BatchCloudTest, MultiplierScalesRangeHeightsAndNullsOfTheBatchRowsOnly) {
    const int n = points();
    ASSERT_EQ(n, 4096);
    setProfileDistance(25000);
    client().displayRange.viewMin = -1.0;
    client().displayRange.viewMax = 2.0;
    std::vector<double> first(static_cast<size_t>(n), 1.0);
    first[5] = kNull;
    const std::vector<double> longer(static_cast<size_t>(n) + 900, 0.5);
    const std::vector<double> shorter(10, 2.0);
    const std::vector<double> older(static_cast<size_t>(n), 7.0);  // a row of an earlier, longer batch
    setRows({first, longer, shorter, older}, 3);

    View3dParams params;
    params.zMultiplier = 3;
    kxCloud cloud;
    ASSERT_TRUE(cloudFromBatch(client(), params, cloud));
    ASSERT_EQ(cloud.z.type(), CV_32FC1);
    ASSERT_EQ(cloud.z.rows, 3) << "only the rows of the current batch";
    ASSERT_EQ(cloud.z.cols, n);
    EXPECT_FLOAT_EQ(cloud.zMin, -3.0f);
    EXPECT_FLOAT_EQ(cloud.zMax, 6.0f);
    EXPECT_FLOAT_EQ(cloud.invalidValue, -9999.0f);
    EXPECT_FLOAT_EQ(cloud.xPitch, static_cast<float>(client().xPitchMm));
    EXPECT_FLOAT_EQ(cloud.yPitch, 0.25f);
    EXPECT_FLOAT_EQ(cloud.z.at<float>(0, 0), 3.0f);
    EXPECT_FLOAT_EQ(cloud.z.at<float>(0, 5), -29997.0f) << "null heights are multiplied too";
    EXPECT_FLOAT_EQ(cloud.z.at<float>(1, n - 1), 1.5f) << "a longer row is cut";
    EXPECT_FLOAT_EQ(cloud.z.at<float>(2, 9), 6.0f);
    EXPECT_FLOAT_EQ(cloud.z.at<float>(2, 10), -29997.0f) << "a shorter row is padded with the null height";
    EXPECT_EQ(cv::countNonZero(cloud.z == 21.0f), 0);
}

// An empty or reversed stored range (both 0 until the range dialog was used)
// would colour the whole batch alike: the sensor's z range stands in, times
// the multiplier like the heights.
TEST_F(BatchCloudTest, AnEmptyStoredRangeColoursOverTheSensorsRange) {
    ASSERT_LT(client().zLowerMm, client().zUpperMm);
    setRows({std::vector<double>(static_cast<size_t>(points()), 1.0)});
    View3dParams params;
    params.zMultiplier = 2;
    for (const auto& [low, high] : {std::pair{0.0, 0.0}, std::pair{3.0, 3.0}, std::pair{2.0, -1.0}}) {
        client().displayRange.viewMin = low;
        client().displayRange.viewMax = high;
        kxCloud cloud;
        ASSERT_TRUE(cloudFromBatch(client(), params, cloud));
        EXPECT_FLOAT_EQ(cloud.zMin, static_cast<float>(client().zLowerMm) * 2) << low << ", " << high;
        EXPECT_FLOAT_EQ(cloud.zMax, static_cast<float>(client().zUpperMm) * 2) << low << ", " << high;
    }
}

TEST_F(BatchCloudTest, EmptyBatchLeavesTheCloudAlone) {
    kxCloud cloud(cv::Mat(2, 2, CV_32FC1, cv::Scalar(4.0f)), 1.0f, 1.0f, 0.0f, 1.0f, -9999.0f);
    setRows({std::vector<double>(static_cast<size_t>(points()), 1.0)}, 0);
    EXPECT_FALSE(cloudFromBatch(client(), View3dParams{}, cloud));
    EXPECT_EQ(cloud.z.rows, 2);
    EXPECT_EQ(cloud.z.at<float>(1, 1), 4.0f);
}

TEST_F(BatchCloudTest, ProfileDistanceIsTheXPitchWithoutATriggerInterval) {
    int off = 0;
    ASSERT_EQ(client().cfgRegister(1, 283, &off), 0);
    setRows({std::vector<double>(static_cast<size_t>(points()), 1.0)});
    kxCloud cloud;
    ASSERT_TRUE(cloudFromBatch(client(), View3dParams{}, cloud));
    EXPECT_FLOAT_EQ(cloud.yPitch, static_cast<float>(client().yPitch()));
}

TEST_F(BatchCloudTest, CleaningRemovesShortRunsBetweenGapsBeforeTheMultiplying) {
    client().displayRange.viewMin = -1.0;
    client().displayRange.viewMax = 2.0;
    std::vector<double> row(static_cast<size_t>(points()), 1.0);
    for (size_t c = 100; c < 200; ++c) row[c] = kNull;
    for (size_t c = 150; c < 153; ++c) row[c] = 1.0;  // three points inside a gap
    setRows({row, row, row});
    View3dParams params;
    params.zMultiplier = 2;
    kxCloud raw;
    ASSERT_TRUE(cloudFromBatch(client(), params, raw));
    EXPECT_FLOAT_EQ(raw.z.at<float>(1, 151), 2.0f);
    params.denoise.enabled = true;  // the defaults: runs of up to 5 points inside gaps go
    kxCloud cleaned;
    ASSERT_TRUE(cloudFromBatch(client(), params, cleaned));
    EXPECT_FLOAT_EQ(cleaned.z.at<float>(1, 151), -19998.0f);
    EXPECT_FLOAT_EQ(cleaned.z.at<float>(1, 50), 2.0f);
}

}  // namespace
