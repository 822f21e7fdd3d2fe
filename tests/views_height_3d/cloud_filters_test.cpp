// Thinning a cloud (never to an empty image), the gradients of a height grid
// and the mask of gradients that stand out from their neighbourhood.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>

#include "views/height/view3d/cloud_filters.h"

namespace {

using kx::common::kxCloud;

kxCloud cloudOf(int rows, int cols, float height = 1.0f) {
    return kxCloud(cv::Mat(rows, cols, CV_32FC1, cv::Scalar(height)), 0.1f, 0.2f, -5.0f, 5.0f, -9999.0f);
}

TEST(ResampleCloud, EverySideKeepsAtLeastOneCell) {
    struct Case {
        const char* name;
        int rows, cols;
        float fx, fy;
        int wantRows, wantCols;
    } cases[] = {
        {"halved", 100, 40, 0.5f, 0.5f, 50, 20},
        {"same size", 7, 9, 1.0f, 1.0f, 7, 9},
        {"short batch, small scale", 3, 4096, 0.1f, 0.1f, 1, 410},
        {"one column halved", 5, 1, 0.5f, 1.0f, 5, 1},
        {"one cell, tiny scale", 1, 1, 0.001f, 0.001f, 1, 1},
    };
    for (const Case& c : cases) {
        kxCloud src = cloudOf(c.rows, c.cols);
        src.intensity = cv::Mat(c.rows, c.cols, CV_8UC1, cv::Scalar(7));
        kxCloud dst;
        ASSERT_EQ(resampleCloud(src, dst, c.fx, c.fy), 0) << c.name;
        EXPECT_EQ(dst.z.rows, c.wantRows) << c.name;
        EXPECT_EQ(dst.z.cols, c.wantCols) << c.name;
        EXPECT_EQ(dst.intensity.size(), dst.z.size()) << c.name;
        EXPECT_TRUE(dst.color.empty()) << c.name;
        EXPECT_FLOAT_EQ(dst.z.at<float>(0, 0), 1.0f) << c.name;
        EXPECT_FLOAT_EQ(dst.xPitch, 0.1f / c.fx) << c.name;
        EXPECT_FLOAT_EQ(dst.yPitch, 0.2f / c.fy) << c.name;
        EXPECT_EQ(dst.zMin, -5.0f);
        EXPECT_EQ(dst.zMax, 5.0f);
        EXPECT_EQ(dst.invalidValue, -9999.0f);
    }
}

TEST(ResampleCloud, RefusesNoHeightsAndFactorsThatAreNotPositive) {
    kxCloud dst = cloudOf(2, 2, 3.0f);
    EXPECT_EQ(resampleCloud(kxCloud(), dst, 0.5f, 0.5f), -1);
    EXPECT_EQ(resampleCloud(cloudOf(4, 4), dst, 0.0f, 0.5f), -1);
    EXPECT_EQ(resampleCloud(cloudOf(4, 4), dst, 0.5f, -1.0f), -1);
    EXPECT_EQ(dst.z.rows, 2) << "a refused resampling leaves the target alone";
    EXPECT_EQ(dst.z.at<float>(0, 0), 3.0f);
}

TEST(DerivativeFilter, RampHasAnEvenSlopeAlongItsDirectionOnly) {
    cv::Mat ramp(20, 30, CV_32FC1);
    for (int r = 0; r < ramp.rows; ++r)
        for (int c = 0; c < ramp.cols; ++c) ramp.at<float>(r, c) = 2.0f * c;
    cv::Mat gx;
    cv::Mat gy;
    derivativeFilter(ramp, gx, 1, 0);
    derivativeFilter(ramp, gy, 0, 1);
    ASSERT_EQ(gx.type(), CV_32FC1);
    const float inner = gx.at<float>(10, 15);
    EXPECT_GT(inner, 0.0f);
    for (int r = 0; r < ramp.rows; ++r)
        for (int c = 3; c < ramp.cols - 3; ++c) ASSERT_NEAR(gx.at<float>(r, c), inner, 1e-3f) << r << "," << c;
    EXPECT_EQ(cv::countNonZero(cv::abs(gy) > 1e-4f), 0);
    // An impulse: OpenCV's normalised derivative taps (5/32 beside the
    // centre) along x, the smoothing taps across scaled to 1 at the centre
    // (binomial 20/64 becomes 1, 15/64 becomes 0.75).
    cv::Mat impulse = cv::Mat::zeros(15, 15, CV_32FC1);
    impulse.at<float>(7, 7) = 1.0f;
    derivativeFilter(impulse, gx, 1, 0);
    EXPECT_FLOAT_EQ(gx.at<float>(7, 6), 5.0f / 32);
    EXPECT_FLOAT_EQ(gx.at<float>(7, 8), -5.0f / 32);
    EXPECT_FLOAT_EQ(gx.at<float>(6, 6), 5.0f / 32 * 0.75f);
    EXPECT_FLOAT_EQ(gx.at<float>(7, 7), 0.0f);
    derivativeFilter(impulse, gy, 0, 1);
    EXPECT_FLOAT_EQ(gy.at<float>(6, 7), 5.0f / 32);
    EXPECT_FLOAT_EQ(gy.at<float>(7, 6), 0.0f);
}

TEST(GradientOutlierMask, MarksOnlyGradientsBeyondTheLocalMeanEitherWay) {
    cv::Mat grad = cv::Mat::zeros(60, 70, CV_32FC1);
    grad.at<float>(10, 12) = 1.0f;
    grad.at<float>(40, 50) = -1.0f;
    grad.at<float>(30, 30) = 0.04f;  // stands out by less than t
    const cv::Mat weights = cv::Mat::ones(grad.size(), CV_32FC1);
    const cv::Mat zeros8 = cv::Mat::zeros(grad.size(), CV_8UC1);
    cv::Mat mask;
    gradientOutlierMask(grad, weights, zeros8, mask, 0.05f);
    ASSERT_EQ(mask.type(), CV_8UC1);
    EXPECT_EQ(mask.at<uint8_t>(10, 12), 255);
    EXPECT_EQ(mask.at<uint8_t>(40, 50), 255);
    EXPECT_EQ(cv::countNonZero(mask), 2);
    EXPECT_EQ(cv::countNonZero(zeros8), 0) << "the starting mask is not written";

    // A uniform gradient is its own neighbourhood mean: nothing stands out.
    cv::Mat even(60, 70, CV_32FC1, cv::Scalar(3.0f));
    gradientOutlierMask(even, weights, zeros8, mask, 0.05f);
    EXPECT_EQ(cv::countNonZero(mask), 0);
}

}  // namespace
