// KxImage: which operations share pixels and which copy them, which members
// travel, and the raw-data constructors.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "views/height/cloud/kx_common.h"

namespace {

using kx::common::KxImage;

KxImage tagged(int rows, int cols) {
    std::vector<uchar> bytes(static_cast<size_t>(rows * cols));
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uchar>(i + 1);
    KxImage image(bytes.data(), rows, cols);
    image.name = "scan";
    image.kind = 7;
    image.posX = 11;
    image.posY = 12;
    image.extra = INT64_C(0x123456789abcdef0);
    image.extraFlag = 3;
    return image;
}

void expectMembersOf(const KxImage& image, const KxImage& source) {
    EXPECT_EQ(image.name, source.name);
    EXPECT_EQ(image.kind, source.kind);
    EXPECT_EQ(image.posX, source.posX);
    EXPECT_EQ(image.posY, source.posY);
    EXPECT_EQ(image.extra, source.extra);
    EXPECT_EQ(image.extraFlag, source.extraFlag);
}

void expectDefaults(const KxImage& image, bool positions = true) {
    EXPECT_TRUE(image.name.empty());
    EXPECT_EQ(image.kind, 1);
    EXPECT_EQ(image.extra, 0);
    EXPECT_EQ(image.extraFlag, 0);
    if (positions) {
        EXPECT_EQ(image.posX, 0);
        EXPECT_EQ(image.posY, 0);
    }
}

TEST(KxImage, DefaultsInOrder) {
    const KxImage image;
    expectDefaults(image);
    EXPECT_TRUE(image.mat.empty());
}

TEST(KxImage, CopiesSharePixelsAndCloneDoesNot) {
    KxImage source = tagged(2, 3);
    KxImage copy(source);
    KxImage assigned;
    assigned = source;
    const KxImage cloned = source.clone();
    expectMembersOf(copy, source);
    expectMembersOf(assigned, source);

    source.mat.at<uchar>(1, 2) = 200;
    EXPECT_EQ(copy.mat.at<uchar>(1, 2), 200);
    EXPECT_EQ(assigned.mat.at<uchar>(1, 2), 200);
    EXPECT_EQ(cloned.mat.at<uchar>(1, 2), 6);

    // clone carries the pixels and the position only.
    expectDefaults(cloned, false);
    EXPECT_EQ(cloned.posX, 11);
    EXPECT_EQ(cloned.posY, 12);
}

TEST(KxImage, MoveEmptiesNameAndMatAndKeepsIntegers) {
    KxImage source = tagged(2, 2);
    const KxImage before = source;
    const KxImage moved(std::move(source));
    expectMembersOf(moved, before);
    EXPECT_EQ(moved.mat.data, before.mat.data);
    EXPECT_TRUE(source.name.empty());
    EXPECT_TRUE(source.mat.empty());
    EXPECT_EQ(source.kind, 7);
    EXPECT_EQ(source.posX, 11);
    EXPECT_EQ(source.extra, before.extra);

    KxImage other = tagged(1, 1);
    KxImage target;
    target = std::move(other);
    EXPECT_EQ(target.name, "scan");
    EXPECT_TRUE(other.name.empty());
    EXPECT_TRUE(other.mat.empty());
    EXPECT_EQ(other.extraFlag, 3);
}

TEST(KxImage, SelfAssignmentKeepsEverything) {
    KxImage image = tagged(2, 2);
    KxImage& alias = image;
    image = alias;
    EXPECT_EQ(image.name, "scan");
    EXPECT_EQ(image.mat.at<uchar>(1, 1), 4);
}

TEST(KxImage, VirtualAssignmentThroughTheBase) {
    struct Derived : KxImage {};
    Derived derived;
    KxImage& base = derived;
    base = tagged(1, 2);
    EXPECT_EQ(derived.name, "scan");
    EXPECT_EQ(derived.mat.cols, 2);
}

struct ChannelCase {
    int channels;
    int type;  // -1: empty image
};

void expectRawChannels(const ChannelCase& param) {
    std::vector<uchar> bytes(3 * 4 * 4);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uchar>(i);
    const KxImage image(bytes.data(), 3, 4, param.channels);
    expectDefaults(image);
    if (param.type < 0) {
        EXPECT_TRUE(image.mat.empty());
        return;
    }
    ASSERT_EQ(image.mat.type(), param.type);
    ASSERT_EQ(image.mat.rows, 3);
    ASSERT_EQ(image.mat.cols, 4);
    // Interleaved channels, row after row: the last byte is the last channel of (2, 3).
    EXPECT_EQ(image.mat.ptr<uchar>(2)[4 * param.channels - 1], 3 * 4 * param.channels - 1);
    EXPECT_EQ(image.mat.ptr<uchar>(1)[0], 4 * param.channels);
}

TEST(KxImage, RawDataConstructorByChannelCount) {
    const ChannelCase cases[] = {{1, CV_8UC1}, {2, CV_8UC2}, {3, CV_8UC3}, {4, CV_8UC4},
                                 {0, -1},      {5, -1},      {-1, -1}};
    for (const ChannelCase& param : cases) {
        SCOPED_TRACE(param.channels);
        expectRawChannels(param);
    }
}

TEST(KxImage, FiveChannelsReadNothing) {
    // A null pointer would crash if a single byte were read.
    const KxImage image(nullptr, 3, 4, 5);
    EXPECT_TRUE(image.mat.empty());
}

TEST(KxImage, SingleChannelConstructorIsRowAfterRow) {
    const uchar bytes[] = {1, 2, 3, 4, 5, 6};
    const KxImage image(bytes, 2, 3);
    ASSERT_EQ(image.mat.type(), CV_8UC1);
    EXPECT_EQ(image.mat.at<uchar>(1, 0), 4);
    EXPECT_EQ(image.mat.at<uchar>(0, 2), 3);
}

TEST(KxImage, ThreePlanesInterleaveIntoChannels) {
    const uchar plane0[] = {1, 2};
    const uchar plane1[] = {3, 4};
    const uchar plane2[] = {5, 6};
    const KxImage image(plane0, plane1, plane2, 1, 2);
    ASSERT_EQ(image.mat.type(), CV_8UC3);
    EXPECT_EQ(image.mat.at<cv::Vec3b>(0, 0), cv::Vec3b(1, 3, 5));
    EXPECT_EQ(image.mat.at<cv::Vec3b>(0, 1), cv::Vec3b(2, 4, 6));
}

TEST(KxImage, RegionSharesPixelsAndKeepsPosition) {
    KxImage source = tagged(4, 5);
    const KxImage region(source, cv::Rect(1, 2, 3, 2));  // x, y, width, height
    EXPECT_EQ(region.mat.rows, 2);
    EXPECT_EQ(region.mat.cols, 3);
    EXPECT_EQ(region.mat.at<uchar>(0, 0), source.mat.at<uchar>(2, 1));
    source.mat.at<uchar>(2, 1) = 99;
    EXPECT_EQ(region.mat.at<uchar>(0, 0), 99);
    EXPECT_EQ(region.posX, 11);
    EXPECT_EQ(region.posY, 12);
    EXPECT_TRUE(region.name.empty());
    EXPECT_EQ(region.kind, 1);
}

TEST(KxImage, RegionOfAnEmptySourceIsEmptyWithItsPosition) {
    KxImage source;
    source.posX = -4;
    source.posY = 9;
    const KxImage region(source, cv::Rect(0, 0, 10, 10));
    EXPECT_TRUE(region.mat.empty());
    EXPECT_EQ(region.posX, -4);
    EXPECT_EQ(region.posY, 9);
}

TEST(KxImage, RegionOutsideTheSourceThrows) {
    const KxImage source = tagged(2, 2);
    EXPECT_THROW(KxImage(source, cv::Rect(1, 1, 5, 5)), cv::Exception);
}

TEST(KxImage, CopyToMakesNewPixelsAndSetsOnlyThePosition) {
    const KxImage source = tagged(2, 3);
    KxImage target;
    target.name = "keep";
    target.kind = 5;
    source.copyTo(target);
    EXPECT_NE(target.mat.data, source.mat.data);
    EXPECT_EQ(cv::norm(target.mat, source.mat, cv::NORM_INF), 0.0);
    EXPECT_EQ(target.name, "keep");
    EXPECT_EQ(target.kind, 5);
    EXPECT_EQ(target.posX, 11);
    EXPECT_EQ(target.posY, 12);
}

TEST(KxImage, MaskedCopyKeepsTargetPixelsOutsideTheMask) {
    const KxImage source = tagged(1, 3);  // 1 2 3
    KxImage target(source.clone());
    target.mat.setTo(50);
    uchar mask[] = {0, 1, 0};
    source.copyTo(target, mask);
    EXPECT_EQ(target.mat.at<uchar>(0, 0), 50);
    EXPECT_EQ(target.mat.at<uchar>(0, 1), 2);
    EXPECT_EQ(target.mat.at<uchar>(0, 2), 50);

    // A target of another size is reallocated and zero-filled first.
    KxImage fresh;
    source.copyTo(fresh, cv::Mat(1, 3, CV_8UC1, mask));
    EXPECT_EQ(fresh.mat.at<uchar>(0, 0), 0);
    EXPECT_EQ(fresh.mat.at<uchar>(0, 1), 2);
    EXPECT_EQ(fresh.posX, 11);
}

TEST(KxImage, NullMaskCopiesEveryPixel) {
    const KxImage source = tagged(2, 2);
    KxImage plain;
    KxImage nullMasked;
    source.copyTo(plain);
    source.copyTo(nullMasked, static_cast<uchar*>(nullptr));
    EXPECT_EQ(cv::norm(plain.mat, nullMasked.mat, cv::NORM_INF), 0.0);
    EXPECT_EQ(nullMasked.posX, plain.posX);
    EXPECT_EQ(nullMasked.posY, plain.posY);
}

TEST(KxImage, MaskOfTheWrongSizeThrows) {
    const KxImage source = tagged(2, 2);
    KxImage target;
    EXPECT_THROW(source.copyTo(target, cv::Mat::ones(3, 3, CV_8UC1)), cv::Exception);
}

}  // namespace
