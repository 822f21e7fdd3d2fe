// PCD and PLY files, written and read by PCL through the point types of the
// channel: XYZ (heights), XYZI (intensity), XYZRGBA (colour and intensity).
#include <cstdint>

#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

#include "views/height/cloud/cloud_file_parts.h"
#include "views/height/cloud/grid_fill.h"
#include "views/height/cloud/point_file_check.h"
#include "views/height/cloud/point_conversion.h"

namespace kx::common {
namespace {

using conversion::BlobSink;
using conversion::PointCloudSink;

template <class Point>
int writePcdPoints(const pcl::PointCloud<Point>& points, const std::string& path, bool ascii) {
    pcl::PCDWriter writer;
    const int result = ascii ? writer.writeASCII(path, points, 8) : writer.writeBinary(path, points);
    return result == 0 ? 0 : -1;
}

template <class Point, class Convert>
int convertAndWritePcd(const std::string& path, bool ascii, Convert convert) {
    pcl::PointCloud<Point> points;
    PointCloudSink<Point> sink(points);
    if (convert(sink) != 0) return -1;
    return writePcdPoints(points, path, ascii);
}

// The PLY writer takes PCL's blob; building it directly keeps one copy of the
// points instead of a typed cloud plus its blob.
template <class Point, class Convert>
int convertAndWritePly(const std::string& path, bool ascii, Convert convert) {
    pcl::PCLPointCloud2 blob;
    BlobSink<Point> sink(blob);
    if (convert(sink) != 0) return -1;
    const Eigen::Vector4f origin = Eigen::Vector4f::Zero();
    const Eigen::Quaternionf orientation = Eigen::Quaternionf::Identity();
    pcl::PLYWriter writer;
    const int result = ascii ? writer.writeASCII(path, blob, origin, orientation, 8, true)
                             : writer.writeBinary(path, blob, origin, orientation, true);
    return result == 0 ? 0 : -1;
}

// Reads the points of one type; false when PCL refuses the file. PCL reads
// the file into its blob first; the blob is checked before PCL's conversion
// walks it (an empty one would be addressed through a null first point).
template <class Reader, class Point>
bool readPoints(const std::string& path, pcl::PointCloud<Point>& points) {
    pcl::PCLPointCloud2 blob;
    Reader reader;
    if (reader.read(path, blob) != 0) return false;
    const uint64_t count = static_cast<uint64_t>(blob.width) * blob.height;
    if (count == 0) {
        points.clear();
        points.width = blob.width;
        points.height = blob.height;
        return true;
    }
    if (blob.point_step == 0 || blob.row_step < static_cast<uint64_t>(blob.width) * blob.point_step ||
        blob.data.size() < static_cast<uint64_t>(blob.row_step) * blob.height)
        return false;
    pcl::fromPCLPointCloud2(blob, points);
    return true;
}

void storeRequest(kxCloud& cloud, float xPitch, float yPitch, float zMin, float zMax, float invalidValue) {
    cloud.xPitch = xPitch;
    cloud.yPitch = yPitch;
    cloud.zMin = zMin;
    cloud.zMax = zMax;
    cloud.invalidValue = invalidValue;
}

// What the header announced; PCL's reading must agree before a cell is
// written. -1 leaves a value unchecked.
struct Announced {
    int64_t points = -1;
    int width = -1;
    int height = -1;
};

template <class Point>
bool matchesHeader(const pcl::PointCloud<Point>& points, const Announced& announced) {
    return (announced.points < 0 || static_cast<int64_t>(points.size()) == announced.points) &&
           (announced.width < 0 || static_cast<int64_t>(points.width) == announced.width) &&
           (announced.height < 0 || static_cast<int64_t>(points.height) == announced.height);
}

// The grid is made only once the points are in, agree with the header and
// fit the grid.
template <class Point>
bool makeGridFor(const pcl::PointCloud<Point>& points, const Announced& announced, kxCloud& cloud, int cols,
                 int rows) {
    if (!matchesHeader(points, announced)) return false;
    cloud.z = cv::Mat(rows, cols, CV_32FC1, cv::Scalar(cloud.invalidValue));
    if (pointsFitGrid(points, cloud)) return true;
    cloud.z.release();
    return false;
}

// Reads the channel's point type and fills the grid; the pitches and range are
// already stored in the cloud.
template <class Reader>
int readPointsIntoGrid(const std::string& path, const Announced& announced, kxCloud& cloud, int cols, int rows,
                       const cloudChannelType& channel) {
    if (channel == CLOUD_CHANNEL_INTENSITY) {
        pcl::PointCloud<pcl::PointXYZI> points;
        if (!readPoints<Reader>(path, points) || !makeGridFor(points, announced, cloud, cols, rows)) return -1;
        fillIntensityFromPoints(points, cloud);
        fillGridFromPoints(points, cloud);
    } else if (channel == CLOUD_CHANNEL_COLOR) {
        pcl::PointCloud<pcl::PointXYZRGBA> points;
        if (!readPoints<Reader>(path, points) || !makeGridFor(points, announced, cloud, cols, rows)) return -1;
        fillColorFromPoints(points, cloud);
        fillGridFromPoints(points, cloud);
    } else {
        pcl::PointCloud<pcl::PointXYZ> points;
        if (!readPoints<Reader>(path, points) || !makeGridFor(points, announced, cloud, cols, rows)) return -1;
        fillGridFromPoints(points, cloud);
    }
    return 0;
}

}  // namespace

int writePcdCloud(const kxCloud& cloud, const std::string& path, const cloudFileType& type,
                  const cloudChannelType& channel, const cloudOrganizeType& organize) {
    if (!hasExtension(path, ".pcd")) return -1;
    const bool unorganized = organize == CLOUD_UNORGANIZED;
    const bool ascii = type == CLOUD_FILE_PCD_ASCII;
    switch (channel) {
        case CLOUD_CHANNEL_Z:
            return convertAndWritePcd<pcl::PointXYZ>(
                path, ascii, [&](auto& sink) { return conversion::toXyz(cloud, nullptr, sink, unorganized, 0); });
        case CLOUD_CHANNEL_INTENSITY:
            return convertAndWritePcd<pcl::PointXYZI>(
                path, ascii, [&](auto& sink) { return conversion::toXyzi(cloud, sink, unorganized); });
        case CLOUD_CHANNEL_COLOR:
            return convertAndWritePcd<pcl::PointXYZRGBA>(
                path, ascii, [&](auto& sink) { return conversion::toXyzRgba(cloud, sink, unorganized); });
    }
    return 0;  // another channel writes nothing
}

int writePlyCloud(const kxCloud& cloud, const std::string& path, const cloudFileType& type,
                  const cloudChannelType& channel, const cloudOrganizeType& organize) {
    if (!hasExtension(path, ".ply")) return -1;
    const bool unorganized = organize == CLOUD_UNORGANIZED;
    const bool ascii = type == CLOUD_FILE_PLY_ASCII;
    if (channel == CLOUD_CHANNEL_INTENSITY)
        return convertAndWritePly<pcl::PointXYZI>(
            path, ascii, [&](auto& sink) { return conversion::toXyzi(cloud, sink, unorganized); });
    if (channel == CLOUD_CHANNEL_COLOR)
        return convertAndWritePly<pcl::PointXYZRGBA>(
            path, ascii, [&](auto& sink) { return conversion::toXyzRgba(cloud, sink, unorganized); });
    return convertAndWritePly<pcl::PointXYZ>(
        path, ascii, [&](auto& sink) { return conversion::toXyz(cloud, nullptr, sink, unorganized, 0); });
}

int readPcdCloud(const std::string& path, kxCloud& cloud, float xPitch, float yPitch, int cols, int rows, float zMin,
                 float zMax, float invalidValue, const cloudChannelType& channel) {
    if (!hasExtension(path, ".pcd")) return -1;
    cloud.z.release();
    cloud.color.release();
    cloud.intensity.release();
    int width = -1;
    int height = -1;
    if (readHeaderSize(path, width, height) != 0 || !pcdFileIsSound(path)) return -1;
    const bool organised = height > 1;
    if (organised && !(cols > 0 && rows > 0)) {
        cols = width;
        rows = height;
    }
    if (!((cols > 0 && rows > 0 && xPitch > 0 && yPitch > 0) || organised)) return -1;
    // An organised file lays its points row by row into the grid, which must
    // hold all of them.
    if (organised && (width <= 0 || width > cols || height > rows)) return -1;
    storeRequest(cloud, xPitch, yPitch, zMin, zMax, invalidValue);
    Announced announced;
    announced.width = width;
    announced.height = height;
    return readPointsIntoGrid<pcl::PCDReader>(path, announced, cloud, cols, rows, channel);
}

int readPlyCloud(const std::string& path, kxCloud& cloud, float xPitch, float yPitch, int cols, int rows, float zMin,
                 float zMax, float invalidValue, const cloudChannelType& channel) {
    if (!hasExtension(path, ".ply")) return -1;
    cloud.z.release();
    cloud.color.release();
    cloud.intensity.release();
    if (!(cols > 0 && rows > 0)) return -1;
    int vertices = -1;
    int height = -1;
    if (readHeaderSize(path, vertices, height) != 0 || !plyFileIsSound(path)) return -1;
    const bool wholeGrid = vertices >= 0 && static_cast<int64_t>(vertices) == static_cast<int64_t>(cols) * rows;
    if (!(wholeGrid || (xPitch > 0 && yPitch > 0))) return -1;
    storeRequest(cloud, xPitch, yPitch, zMin, zMax, invalidValue);
    Announced announced;
    announced.points = vertices;
    return readPointsIntoGrid<pcl::PLYReader>(path, announced, cloud, cols, rows, channel);
}

}  // namespace kx::common
