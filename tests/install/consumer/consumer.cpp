// A program of another party, built against an installed Mirevo only: it
// includes every public header from <mirevo/...>, searches for the simulated
// sensor, opens it and reads a live profile through libmirevo_sensor.so,
// writes and reads a cloud file and converts the cloud to PCL points through
// libmirevo_cloud.so, and filters a small image through libParvex.so.
//   mirevo_consumer SENSOR_ADDRESS FOLDER
#include <mirevo/gradient_filter/parvex.h>
#include <mirevo/sensor_interface/registry/hvq5_api.h>
#include <mirevo/sensor_interface/settings/stop_watch.h>
#include <mirevo/views/height/cloud/kx_common.h>
#include <mirevo/views/height/cloud/kx_point_cloud.h>

#include <arpa/inet.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

int fail(const std::string& what) {
    std::fprintf(stderr, "mirevo_consumer: %s\n", what.c_str());
    return 1;
}

// The search finds the sensor once it answers; it may still be starting.
bool searchFor(uint32_t wanted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        int count = 0;
        const uint32_t* found = HVQ5_2_SearchOnline(&count, 1000);
        for (int i = 0; found && i < count; ++i) {
            if (found[i] == wanted) return true;
        }
    }
    return false;
}

int useSensor(const char* addressText) {
    in_addr address{};
    if (inet_pton(AF_INET, addressText, &address) != 1) return fail("bad sensor address");
    if (HVQ5_Initialize() != 0) return fail("HVQ5_Initialize failed");
    if (!searchFor(address.s_addr)) return fail(std::string("the search did not find ") + addressText);

    uint8_t ip[4];
    std::memcpy(ip, &address.s_addr, sizeof ip);
    const int opened = HVQ5_2_EthernetOpen(0, ip);
    if (opened != 0) return fail("HVQ5_2_EthernetOpen gave " + std::to_string(opened));
    char model[17] = {};
    const int modelStatus = HVQ5_GetHeadModel(0, model);
    std::vector<int32_t> profile(6000, 7);
    uint32_t encoder = 0;
    const int read = HVQ5_2_GetSingleProfile(0, profile.data(), &encoder);
    HVQ5_CommunicationClose(0);
    if (modelStatus != 0 || model[0] == '\0') return fail("no head model read");
    if (read != 0) return fail("HVQ5_2_GetSingleProfile gave " + std::to_string(read));
    // The simulator's scene is a plane with a step and a few invalid points.
    const std::set<int32_t> values(profile.begin(), profile.end());
    if (values.size() < 3) return fail("the profile does not show the scene");
    std::printf("mirevo_consumer: found, opened and read head %s at %s\n", model, addressText);
    return 0;
}

int useCloud(const std::filesystem::path& folder) {
    using namespace kx::common;
    std::filesystem::create_directories(folder);
    float heights[] = {0.0f, 0.5f, 1.0f, -9999.0f, 2.0f, 2.5f};
    const kxCloud cloud(heights, 0.25f, 0.5f, -10.0f, 10.0f, 2, 3, -9999.0f);
    const std::string file = (folder / "consumer.pcd").string();
    if (writeCloud(cloud, file, CLOUD_FILE_PCD_BINARY, CLOUD_CHANNEL_Z, CLOUD_ORGANIZED) != 0)
        return fail("writing the PCD file failed");
    kxCloud back;
    if (readCloud(file, CLOUD_FILE_PCD_BINARY, back, 0.0f, 0.0f, 0, 0, -10.0f, 10.0f, -9999.0f, CLOUD_CHANNEL_Z) != 0)
        return fail("reading the PCD file failed");
    if (back.z.size() != cloud.z.size() || cv::norm(back.z, cloud.z, cv::NORM_INF) != 0.0)
        return fail("the PCD file gave other heights");
    pcl::PointCloud<pcl::PointXYZ> points;
    if (kxCloudToPointCloud(back, points, true, 0) != 0 || points.size() != 5)
        return fail("the unorganized point cloud does not hold the five valid cells");
    std::printf("mirevo_consumer: cloud written, read back and converted\n");
    return 0;
}

int useParvex() {
    int32_t heights[9] = {10, 10, 10, 10, 10, 10, 10, 10, 10};
    int32_t filtered[9] = {};
    uint8_t gray[9] = {};
    Parvex(heights, filtered, nullptr, gray, 3, 3, -10, 10, 3, -1, false, 0, false, 3, 0);
    if (std::memcmp(heights, filtered, sizeof heights) != 0) return fail("Parvex changed a flat image");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return fail("usage: mirevo_consumer SENSOR_ADDRESS FOLDER");
    stop_watch watch;
    if (useCloud(argv[2]) != 0 || useParvex() != 0 || useSensor(argv[1]) != 0) return 1;
    return 0;
}
