// A program built on the public header alone and linked to
// libmirevo_cloud.so: writes a small height map as a binary PCD and a CSV
// file into the folder it is given and reads both back.
#include <cstdio>
#include <filesystem>
#include <string>

#include "views/height/cloud/kx_common.h"

using namespace kx::common;

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "cloud_consumer: %s\n", what);
    return 1;
}

bool sameHeights(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return fail("usage: cloud_consumer FOLDER");
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    const int rows = 3;
    const int cols = 4;
    float heights[rows * cols];
    for (int i = 0; i < rows * cols; ++i) heights[i] = 0.5f * static_cast<float>(i);
    heights[5] = -9999.0f;
    const kxCloud cloud(heights, 0.25f, 0.5f, -10.0f, 10.0f, rows, cols, -9999.0f);

    const std::string pcd = (folder / "consumer.pcd").string();
    if (writeCloud(cloud, pcd, CLOUD_FILE_PCD_BINARY, CLOUD_CHANNEL_Z, CLOUD_ORGANIZED) != 0)
        return fail("writing the PCD file failed");
    kxCloud fromPcd;
    if (readCloud(pcd, CLOUD_FILE_PCD_BINARY, fromPcd, 0.0f, 0.0f, 0, 0, -10.0f, 10.0f, -9999.0f, CLOUD_CHANNEL_Z) != 0)
        return fail("reading the PCD file failed");
    if (!sameHeights(fromPcd.z, cloud.z)) return fail("the PCD file gave other heights");
    if (fromPcd.xPitch != 0.25f || fromPcd.yPitch != 0.5f) return fail("the PCD file gave other pitches");

    const std::string csv = (folder / "consumer.csv").string();
    if (writeCloud(cloud, csv, CLOUD_FILE_CSV, CLOUD_CHANNEL_Z, CLOUD_ORGANIZED) != 0)
        return fail("writing the CSV file failed");
    kxCloud fromCsv;
    if (readCloud(csv, CLOUD_FILE_CSV, fromCsv, 0.25f, 0.5f, 0, 0, -10.0f, 10.0f, -9999.0f, CLOUD_CHANNEL_Z) != 0)
        return fail("reading the CSV file failed");
    if (!sameHeights(fromCsv.z, cloud.z)) return fail("the CSV file gave other heights");

    std::printf("cloud_consumer: PCD and CSV written and read back through libmirevo_cloud.so\n");
    return 0;
}
