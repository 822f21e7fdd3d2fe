// kxCloud to PCL point clouds: thinning steps, the unorganised rule, origins,
// missing intensity and colour, and the inputs that are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "views/height/cloud/kx_point_cloud.h"

namespace {

using namespace kx::common;

// rows x cols heights r * 10 + c, pitches 0.5 and 0.25.
kxCloud grid(int rows, int cols) {
    cv::Mat z(rows, cols, CV_32FC1);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) z.at<float>(r, c) = static_cast<float>(r * 10 + c);
    return kxCloud(z, 0.5f, 0.25f, -100.0f, 100.0f, -9999.0f);
}

struct StepCase {
    int maxPoints;
    int step;
};

void expectStep(const StepCase& param) {
    const kxCloud cloud = grid(4, 5);  // 20 cells
    pcl::PointCloud<pcl::PointXYZ> out;
    ASSERT_EQ(kxCloudToPointCloud(cloud, out, false, param.maxPoints), 0);
    const int s = param.step;
    const uint32_t rows = (4 - 1) / s + 1;
    const uint32_t cols = (5 - 1) / s + 1;
    ASSERT_EQ(out.size(), rows * cols);
    // A thinned organised cloud reports the visited rows and columns.
    EXPECT_EQ(out.width, cols);
    EXPECT_EQ(out.height, rows);
    EXPECT_FLOAT_EQ(out[1].z, static_cast<float>(s));
    if (rows > 1) {
        EXPECT_FLOAT_EQ(out[cols].z, static_cast<float>(10 * s));
    }
}

TEST(PointConversion, ThinningVisitsEveryStepthRowAndColumn) {
    const StepCase cases[] = {{20, 2},  // quotient 1: sqrt(1) + 1
                              {21, 1},  // more points than cells
                              {0, 1},  {-5, 1},
                              {5, 3},   // quotient 4: sqrt(4) + 1
                              {2, 4}};  // quotient 10: int(3.16 + 1)
    for (const StepCase& param : cases) {
        SCOPED_TRACE(param.maxPoints);
        expectStep(param);
    }
}

TEST(PointConversion, OrganisedStepOneKeepsEveryCellInRowOrder) {
    kxCloud cloud = grid(3, 4);
    cloud.z.at<float>(1, 2) = -9999.0f;
    cloud.z.at<float>(2, 3) = std::numeric_limits<float>::quiet_NaN();
    pcl::PointCloud<pcl::PointXYZ> out;
    ASSERT_EQ(kxCloudToPointCloud(cloud, out, false, 0), 0);
    EXPECT_EQ(out.width, 4u);
    EXPECT_EQ(out.height, 3u);
    ASSERT_EQ(out.size(), 12u);
    EXPECT_FLOAT_EQ(out[6].z, -9999.0f);
    EXPECT_TRUE(std::isnan(out[11].z));
    EXPECT_FALSE(out.is_dense);
    EXPECT_FLOAT_EQ(out[6].x, 1.0f);
    EXPECT_FLOAT_EQ(out[6].y, 0.25f);
}

TEST(PointConversion, UnorganisedDropsHeightsBelowZMinButKeepsNaN) {
    kxCloud cloud = grid(2, 3);
    cloud.zMin = 2.0f;
    cloud.z.at<float>(1, 1) = std::numeric_limits<float>::quiet_NaN();
    pcl::PointCloud<pcl::PointXYZ> out;
    ASSERT_EQ(kxCloudToPointCloud(cloud, out, true, 0), 0);
    // 0 and 1 dropped; 2, 10, NaN, 12 kept.
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out.width, 4u);
    EXPECT_EQ(out.height, 1u);
    EXPECT_FLOAT_EQ(out[0].z, 2.0f);
    EXPECT_TRUE(std::isnan(out[2].z));
}

TEST(PointConversion, AllInvalidUnorganisedIsAnEmptyRow) {
    kxCloud cloud(cv::Mat(3, 3, CV_32FC1, cv::Scalar(-9999.0)), 1.0f, 1.0f, 0.0f, 5.0f, -9999.0f);
    pcl::PointCloud<pcl::PointXYZ> xyz;
    pcl::PointCloud<pcl::PointXYZI> xyzi;
    pcl::PointCloud<pcl::PointXYZRGBA> rgba;
    xyz.resize(7);
    ASSERT_EQ(kxCloudToPointCloud(cloud, xyz, true, 0), 0);
    ASSERT_EQ(kxCloudToPointCloudI(cloud, xyzi, true), 0);
    ASSERT_EQ(kxCloudToPointCloudRGBA(cloud, rgba, true), 0);
    EXPECT_EQ(xyz.size(), 0u);
    EXPECT_EQ(xyz.width, 0u);
    EXPECT_EQ(xyz.height, 1u);
    EXPECT_EQ(xyzi.height, 1u);
    EXPECT_EQ(rgba.width, 0u);
}

TEST(PointConversion, OriginsMoveXyzAndXyziButNotRgba) {
    kxCloud cloud = grid(2, 3);
    cloud.xOrigin = 2.0f;
    cloud.yOrigin = 1.0f;
    pcl::PointCloud<pcl::PointXYZ> xyz;
    pcl::PointCloud<pcl::PointXYZI> xyzi;
    pcl::PointCloud<pcl::PointXYZRGBA> rgba;
    ASSERT_EQ(kxCloudToPointCloud(cloud, xyz, false, 0), 0);
    ASSERT_EQ(kxCloudToPointCloudI(cloud, xyzi, false), 0);
    ASSERT_EQ(kxCloudToPointCloudRGBA(cloud, rgba, false), 0);
    EXPECT_FLOAT_EQ(xyz[0].x, -1.0f);
    EXPECT_FLOAT_EQ(xyz[0].y, -0.25f);
    EXPECT_FLOAT_EQ(xyzi[0].x, -1.0f);
    EXPECT_FLOAT_EQ(xyzi[4].y, 0.0f);
    EXPECT_FLOAT_EQ(rgba[0].x, 0.0f);
    EXPECT_FLOAT_EQ(rgba[0].y, 0.0f);
    EXPECT_FLOAT_EQ(rgba[5].x, 1.0f);
    EXPECT_FLOAT_EQ(rgba[5].y, 0.25f);
}

TEST(PointConversion, MissingIntensityAndColourAreZero) {
    const kxCloud cloud = grid(2, 2);
    pcl::PointCloud<pcl::PointXYZI> xyzi;
    pcl::PointCloud<pcl::PointXYZRGBA> rgba;
    ASSERT_EQ(kxCloudToPointCloudI(cloud, xyzi, false), 0);
    ASSERT_EQ(kxCloudToPointCloudRGBA(cloud, rgba, false), 0);
    for (const auto& point : xyzi) EXPECT_EQ(point.intensity, 0.0f);
    for (const auto& point : rgba) {
        EXPECT_EQ(point.r, 0);
        EXPECT_EQ(point.g, 0);
        EXPECT_EQ(point.b, 0);
        EXPECT_EQ(point.a, 0);
    }
}

TEST(PointConversion, ColourChannelsAreRedGreenBlueAndAlphaIsIntensity) {
    kxCloud cloud = grid(1, 2);
    cloud.color = cv::Mat(1, 2, CV_8UC3, cv::Scalar(10, 20, 30));
    cloud.intensity = (cv::Mat_<uchar>(1, 2) << 7, 255);
    pcl::PointCloud<pcl::PointXYZRGBA> rgba;
    pcl::PointCloud<pcl::PointXYZI> xyzi;
    ASSERT_EQ(kxCloudToPointCloudRGBA(cloud, rgba, false), 0);
    ASSERT_EQ(kxCloudToPointCloudI(cloud, xyzi, false), 0);
    EXPECT_EQ(rgba[1].r, 10);
    EXPECT_EQ(rgba[1].g, 20);
    EXPECT_EQ(rgba[1].b, 30);
    EXPECT_EQ(rgba[0].a, 7);
    EXPECT_EQ(rgba[1].a, 255);
    EXPECT_EQ(xyzi[1].intensity, 255.0f);
}

TEST(PointConversion, MaskedFormIsOneRowInBothModes) {
    kxCloud cloud = grid(2, 3);
    cloud.zMin = 1.5f;
    const cv::Mat mask = (cv::Mat_<uchar>(2, 3) << 1, 1, 0, 0, 1, 1);
    for (const bool unorganized : {false, true}) {
        pcl::PointCloud<pcl::PointXYZ> out;
        ASSERT_EQ(kxCloudToPointCloud(cloud, mask, out, unorganized, 0), 0);
        EXPECT_EQ(out.height, 1u);
        EXPECT_EQ(out.width, out.size());
        // Unmasked: 0, 1, 11, 12; the unorganised rule drops 0 and 1.
        EXPECT_EQ(out.size(), unorganized ? 2u : 4u);
        EXPECT_FLOAT_EQ(out.back().z, 12.0f);
    }
}

TEST(PointConversion, HeightsOfAnotherDepthAreConverted) {
    cv::Mat z16(2, 2, CV_16UC1, cv::Scalar(300));
    z16.at<uint16_t>(1, 1) = 65535;
    const kxCloud cloud(z16, 1.0f, 1.0f, 0.0f, 70000.0f, -9999.0f);
    pcl::PointCloud<pcl::PointXYZ> xyz;
    pcl::PointCloud<pcl::PointXYZI> xyzi;
    ASSERT_EQ(kxCloudToPointCloud(cloud, xyz, false, 0), 0);
    ASSERT_EQ(kxCloudToPointCloudI(cloud, xyzi, false), 0);
    EXPECT_FLOAT_EQ(xyz[0].z, 300.0f);
    EXPECT_FLOAT_EQ(xyzi[3].z, 65535.0f);
}

// Inputs that would be read past their data are refused, the output untouched.
struct RefusalCase {
    const char* name;
    cv::Mat z;
    cv::Mat intensity;
    cv::Mat color;
};

void expectRefusal(const RefusalCase& param) {
    kxCloud cloud(param.z, 1.0f, 1.0f, 0.0f, 1.0f, -9999.0f);
    cloud.intensity = param.intensity;
    cloud.color = param.color;
    pcl::PointCloud<pcl::PointXYZI> xyzi;
    pcl::PointCloud<pcl::PointXYZRGBA> rgba;
    xyzi.resize(3);
    rgba.resize(3);
    const bool intensityFits = param.intensity.empty() || param.intensity.size() == param.z.size();
    if (param.z.channels() > 1 || !intensityFits || param.intensity.type() != CV_8UC1) {
        EXPECT_EQ(kxCloudToPointCloudI(cloud, xyzi, false), -1);
        EXPECT_EQ(xyzi.size(), 3u);
    }
    EXPECT_EQ(kxCloudToPointCloudRGBA(cloud, rgba, false), -1);
    EXPECT_EQ(rgba.size(), 3u);
}

TEST(PointConversion, MismatchedInputsAreRefusedAndLeaveTheOutput) {
    const RefusalCase cases[] = {
        RefusalCase{"colourTiffHeights", cv::Mat(2, 2, CV_8UC3), cv::Mat(), cv::Mat()},
        RefusalCase{"smallIntensity", cv::Mat(3, 3, CV_32FC1, cv::Scalar(1)), cv::Mat(2, 3, CV_8UC1), cv::Mat()},
        RefusalCase{"wideIntensity", cv::Mat(3, 3, CV_32FC1, cv::Scalar(1)), cv::Mat(3, 3, CV_16UC1), cv::Mat()},
        RefusalCase{"smallColour", cv::Mat(3, 3, CV_32FC1, cv::Scalar(1)), cv::Mat(3, 3, CV_8UC1),
                    cv::Mat(3, 2, CV_8UC3)},
        RefusalCase{"grayColour", cv::Mat(3, 3, CV_32FC1, cv::Scalar(1)), cv::Mat(), cv::Mat(3, 3, CV_8UC1)}};
    for (const RefusalCase& param : cases) {
        SCOPED_TRACE(param.name);
        expectRefusal(param);
    }
}

TEST(PointConversion, RefusalsOfTheXyzForms) {
    pcl::PointCloud<pcl::PointXYZ> out;
    out.resize(2);
    EXPECT_EQ(kxCloudToPointCloud(kxCloud(), out, false, 0), -1);
    EXPECT_EQ(out.size(), 2u);
    const kxCloud cloud = grid(2, 2);
    EXPECT_EQ(kxCloudToPointCloud(cloud, cv::Mat::ones(3, 2, CV_8UC1), out, false, 0), -1);
    EXPECT_EQ(kxCloudToPointCloud(cloud, cv::Mat(), out, false, 0), -1);
    EXPECT_EQ(kxCloudToPointCloud(kxCloud(cv::Mat(2, 2, CV_32FC2), 1, 1, 0, 1, 0), out, false, 0), -1);
    EXPECT_EQ(out.size(), 2u);
}

TEST(PointConversion, EmptyHeightsGiveAnEmptyCloudForIntensityAndColour) {
    pcl::PointCloud<pcl::PointXYZI> xyzi;
    pcl::PointCloud<pcl::PointXYZRGBA> rgba;
    xyzi.resize(2);
    EXPECT_EQ(kxCloudToPointCloudI(kxCloud(), xyzi, false), 0);
    EXPECT_EQ(kxCloudToPointCloudRGBA(kxCloud(), rgba, false), 0);
    EXPECT_TRUE(xyzi.empty());
    EXPECT_TRUE(rgba.empty());
}

}  // namespace
