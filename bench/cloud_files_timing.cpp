// Writing and reading a large height map as every cloud file type and channel,
// beside PCL's own calls on the same grid.
//
//   cloud_files_timing [FOLDER] [ROWS COLS] [--no-ascii] [--no-pcl]
//
// A ROWS x COLS grid (default 10000 x 3200, 32 M cells) with intensity,
// colour and about 1 % invalid cells is written as TIFF, TIF, CSV, binary and
// ASCII PCD and PLY with each channel, organised. For each file: seconds,
// MB/s, the same byte count written plainly (fwrite of a buffer) in the same
// run, and the peak resident memory above the grid while writing.
//
// For binary PCD and PLY, in the same run: PCL's calls for the same file (the
// library's conversion to a PCL cloud, then savePCDFileBinary or
// savePLYFileBinary, which write the same bytes), and readCloud of the file
// beside loadPCDFile or loadPLYFile of it into the channel's point type; the
// last column is PCL's time over ours (above 1: ours is faster). Then the
// conversions to PCL points alone. Files are removed after measuring.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

#include "views/height/cloud/kx_point_cloud.h"

namespace {

using namespace kx::common;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Resident and peak resident memory in MB (/proc/self/status).
double statusMb(const char* key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0) return std::strtod(line.c_str() + std::strlen(key), nullptr) / 1024.0;
    return 0.0;
}

// Resets the peak to the current resident size (Linux 4.0 and later).
void resetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

kxCloud makeGrid(int rows, int cols) {
    kxCloud cloud;
    cloud.z.create(rows, cols, CV_32FC1);
    cloud.intensity.create(rows, cols, CV_8UC1);
    cloud.color.create(rows, cols, CV_8UC3);
    for (int r = 0; r < rows; ++r) {
        float* z = cloud.z.ptr<float>(r);
        uchar* intensity = cloud.intensity.ptr<uchar>(r);
        uchar* color = cloud.color.ptr<uchar>(r);
        for (int c = 0; c < cols; ++c) {
            const bool invalid = (r * 31 + c * 17) % 97 == 0;
            z[c] = invalid ? -9999.0f : 12.5f + 0.001f * static_cast<float>(c) - 0.0007f * static_cast<float>(r % 1000);
            intensity[c] = static_cast<uchar>((r + c) & 0xFF);
            color[3 * c] = static_cast<uchar>(r & 0xFF);
            color[3 * c + 1] = static_cast<uchar>(c & 0xFF);
            color[3 * c + 2] = 128;
        }
    }
    cloud.xPitch = 0.02f;
    cloud.yPitch = 0.05f;
    cloud.zMin = -50.0f;
    cloud.zMax = 50.0f;
    cloud.xOrigin = static_cast<float>(cols) / 2.0f;
    return cloud;
}

uint64_t bytesOf(const fs::path& path) {
    uint64_t total = 0;
    for (const char* extension : {"", "bmp", "jpg"}) {
        fs::path file = path;
        if (*extension) file.replace_extension(extension);
        std::error_code error;
        if (fs::exists(file, error)) total += fs::file_size(file, error);
    }
    return total;
}

void removeWithCompanions(const fs::path& path) {
    for (const char* extension : {"", "bmp", "jpg"}) {
        fs::path file = path;
        if (*extension) file.replace_extension(extension);
        std::error_code error;
        fs::remove(file, error);
    }
}

// The same number of bytes written with fwrite from a 4 MB buffer.
double plainWriteSeconds(const fs::path& path, uint64_t bytes) {
    std::vector<char> buffer(4 << 20, 'x');
    const auto start = Clock::now();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0.0;
    for (uint64_t left = bytes; left > 0;) {
        const size_t chunk = static_cast<size_t>(std::min<uint64_t>(left, buffer.size()));
        if (std::fwrite(buffer.data(), 1, chunk, file) != chunk) break;
        left -= chunk;
    }
    std::fclose(file);
    const double elapsed = seconds(start);
    std::remove(path.c_str());
    return elapsed;
}

// First writes to memory the process has just obtained: what every new point
// cloud (and PCL's memory-mapped output file) costs before a byte is computed.
double freshMemorySeconds(size_t bytes) {
    const auto start = Clock::now();
    std::vector<char> memory(bytes);  // value-initialised: every page written once
    const double elapsed = seconds(start);
    volatile char sink = memory[bytes / 2];
    (void)sink;
    return elapsed;
}

// PCL's calls for one binary point file: the conversion into the channel's
// point type, then PCL's writer; and PCL's reader of the file.
template <class Point>
int convert(const kxCloud& cloud, pcl::PointCloud<Point>& points);
template <>
int convert(const kxCloud& cloud, pcl::PointCloud<pcl::PointXYZ>& points) {
    return kxCloudToPointCloud(cloud, points, false, 0);
}
template <>
int convert(const kxCloud& cloud, pcl::PointCloud<pcl::PointXYZI>& points) {
    return kxCloudToPointCloudI(cloud, points, false);
}
template <>
int convert(const kxCloud& cloud, pcl::PointCloud<pcl::PointXYZRGBA>& points) {
    return kxCloudToPointCloudRGBA(cloud, points, false);
}

struct PclTimes {
    double convert = 0.0;
    double write = 0.0;
    double read = 0.0;
    bool ok = false;
};

template <class Point>
PclTimes pclWriteAndRead(const kxCloud& cloud, const std::string& path, bool pcd) {
    PclTimes times;
    {
        pcl::PointCloud<Point> points;
        auto start = Clock::now();
        if (convert(cloud, points) != 0) return times;
        times.convert = seconds(start);
        start = Clock::now();
        const int written = pcd ? pcl::io::savePCDFileBinary(path, points) : pcl::io::savePLYFileBinary(path, points);
        times.write = seconds(start);
        if (written != 0) return times;
    }
    pcl::PointCloud<Point> points;
    const auto start = Clock::now();
    const int read = pcd ? pcl::io::loadPCDFile(path, points) : pcl::io::loadPLYFile(path, points);
    times.read = seconds(start);
    times.ok = read == 0 && points.size() == cloud.z.total();
    return times;
}

PclTimes pclWriteAndRead(const kxCloud& cloud, const std::string& path, bool pcd, cloudChannelType channel) {
    if (channel == CLOUD_CHANNEL_INTENSITY) return pclWriteAndRead<pcl::PointXYZI>(cloud, path, pcd);
    if (channel == CLOUD_CHANNEL_COLOR) return pclWriteAndRead<pcl::PointXYZRGBA>(cloud, path, pcd);
    return pclWriteAndRead<pcl::PointXYZ>(cloud, path, pcd);
}

struct FileCase {
    const char* label;
    cloudFileType type;
    const char* extension;
    bool ascii;
};

}  // namespace

int main(int argc, char** argv) {
    fs::path folder = fs::temp_directory_path() / "mirevo_cloud_bench";
    int rows = 10000;
    int cols = 3200;
    bool ascii = true;
    bool withPcl = true;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-ascii") == 0)
            ascii = false;
        else if (std::strcmp(argv[i], "--no-pcl") == 0)
            withPcl = false;
        else
            positional.push_back(argv[i]);
    }
    if (!positional.empty()) folder = positional[0];
    if (positional.size() >= 3) {
        rows = std::atoi(positional[1].c_str());
        cols = std::atoi(positional[2].c_str());
    }
    fs::create_directories(folder);

    const double before = statusMb("VmRSS:");
    const kxCloud cloud = makeGrid(rows, cols);
    const double gridMb = statusMb("VmRSS:") - before;
    std::printf("grid %d x %d (%.1f M cells): heights, intensity and colour take %.0f MB; files in %s\n", rows, cols,
                rows * static_cast<double>(cols) / 1e6, gridMb, folder.c_str());
    const size_t probe = 512u << 20;
    const double fresh = freshMemorySeconds(probe);
    std::printf("first touch of fresh memory on this machine: %.0f MB/s (512 MB in %.2f s)\n",
                static_cast<double>(probe) / 1e6 / fresh, fresh);
    std::printf("%-12s %-9s %9s %8s %9s %10s %9s %10s\n", "file", "channel", "MB", "s", "MB/s", "plain MB/s", "ratio",
                "peak+ MB");

    const FileCase files[] = {{"tiff", CLOUD_FILE_TIFF, ".tiff", false},       {"tif", CLOUD_FILE_TIF, ".tif", false},
                              {"csv", CLOUD_FILE_CSV, ".csv", false},          {"pcd binary", CLOUD_FILE_PCD_BINARY, ".pcd", false},
                              {"ply binary", CLOUD_FILE_PLY_BINARY, ".ply", false}, {"pcd ascii", CLOUD_FILE_PCD_ASCII, ".pcd", true},
                              {"ply ascii", CLOUD_FILE_PLY_ASCII, ".ply", true}};
    const char* const channelNames[] = {"z", "intensity", "color"};
    int failures = 0;
    for (const FileCase& file : files) {
        if (file.ascii && !ascii) continue;
        for (const cloudChannelType channel : {CLOUD_CHANNEL_Z, CLOUD_CHANNEL_INTENSITY, CLOUD_CHANNEL_COLOR}) {
            const fs::path path = folder / (std::string("bench") + file.extension);
            resetPeak();
            const double base = statusMb("VmRSS:");
            const auto start = Clock::now();
            const int result = writeCloud(cloud, path.string(), file.type, channel, CLOUD_ORGANIZED);
            const double elapsed = seconds(start);
            const double peak = statusMb("VmHWM:") - base;
            const uint64_t bytes = bytesOf(path);
            const bool binaryPoints = file.type == CLOUD_FILE_PCD_BINARY || file.type == CLOUD_FILE_PLY_BINARY;
            double readSeconds = 0.0;
            if (result == 0 && binaryPoints) {
                kxCloud read;
                const auto readStart = Clock::now();
                const int readResult = readCloud(path.string(), file.type, read, cloud.xPitch, cloud.yPitch, cols,
                                                 rows, cloud.zMin, cloud.zMax, cloud.invalidValue, channel);
                readSeconds = seconds(readStart);
                if (readResult != 0 || read.z.size() != cloud.z.size()) {
                    std::printf("%-12s %-9s read back failed\n", file.label, channelNames[channel]);
                    ++failures;
                }
            }
            removeWithCompanions(path);
            if (result != 0) {
                std::printf("%-12s %-9s failed\n", file.label, channelNames[channel]);
                ++failures;
                continue;
            }
            const double plain = plainWriteSeconds(folder / "plain.bin", bytes);
            const double mb = static_cast<double>(bytes) / 1e6;
            std::printf("%-12s %-9s %9.1f %8.2f %9.1f %10.1f %9.2f %10.0f\n", file.label, channelNames[channel], mb,
                        elapsed, mb / elapsed, mb / plain, plain / elapsed, peak);
            if (binaryPoints && withPcl) {
                const PclTimes pcl = pclWriteAndRead(cloud, path.string(), file.type == CLOUD_FILE_PCD_BINARY, channel);
                removeWithCompanions(path);
                if (!pcl.ok) {
                    std::printf("  PCL's calls failed\n");
                    ++failures;
                } else {
                    const double pclWrite = pcl.convert + pcl.write;
                    std::printf("  write: ours %6.2f s, PCL %6.2f s (conversion %.2f + writer %.2f)  PCL/ours %5.2f\n",
                                elapsed, pclWrite, pcl.convert, pcl.write, pclWrite / elapsed);
                    std::printf("  read:  ours %6.2f s, PCL %6.2f s                                PCL/ours %5.2f\n",
                                readSeconds, pcl.read, pcl.read / readSeconds);
                }
            } else if (binaryPoints) {
                std::printf("  read:  ours %6.2f s\n", readSeconds);
            }
            std::fflush(stdout);
        }
    }

    std::printf("\nconversion to PCL points alone (organised, every cell):\n");
    {
        resetPeak();
        const double base = statusMb("VmRSS:");
        pcl::PointCloud<pcl::PointXYZ> points;
        const auto start = Clock::now();
        kxCloudToPointCloud(cloud, points, false, 0);
        std::printf("  XYZ     %6.3f s  %zu points, peak+ %.0f MB\n", seconds(start), points.size(),
                    statusMb("VmHWM:") - base);
    }
    {
        resetPeak();
        const double base = statusMb("VmRSS:");
        pcl::PointCloud<pcl::PointXYZI> points;
        const auto start = Clock::now();
        kxCloudToPointCloudI(cloud, points, false);
        std::printf("  XYZI    %6.3f s  %zu points, peak+ %.0f MB\n", seconds(start), points.size(),
                    statusMb("VmHWM:") - base);
    }
    {
        resetPeak();
        const double base = statusMb("VmRSS:");
        pcl::PointCloud<pcl::PointXYZRGBA> points;
        const auto start = Clock::now();
        kxCloudToPointCloudRGBA(cloud, points, false);
        std::printf("  XYZRGBA %6.3f s  %zu points, peak+ %.0f MB\n", seconds(start), points.size(),
                    statusMb("VmHWM:") - base);
    }
    std::error_code error;
    fs::remove(folder, error);
    return failures == 0 ? 0 : 1;
}
