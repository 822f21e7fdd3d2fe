// PCD and PLY files of the channel's point type: XYZ (heights), XYZI
// (intensity), XYZRGBA (colour and intensity). The bytes are those PCL's
// PCDWriter (binary, or ASCII with 8 significant digits) and PLYWriter (with
// its camera element) make of the converted cloud; each point is formatted
// straight into the file's buffer instead of first becoming a point cloud.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "views/height/cloud/cloud_file_parts.h"
#include "views/height/cloud/file_output.h"
#include "views/height/cloud/number_text.h"
#include "views/height/cloud/point_conversion.h"
#include "views/height/cloud/point_file_headers.h"

namespace kx::common {
namespace {

template <class Point>
constexpr PointKind kindOf();
template <>
constexpr PointKind kindOf<pcl::PointXYZ>() { return PointKind::Xyz; }
template <>
constexpr PointKind kindOf<pcl::PointXYZI>() { return PointKind::Xyzi; }
template <>
constexpr PointKind kindOf<pcl::PointXYZRGBA>() { return PointKind::Xyzrgba; }

// The camera element after the vertices: no origin, no rotation, the cloud's
// width and height as the viewport, zero for the rest.
void writePlyCamera(FileOutput& out, uint32_t width, uint32_t height, bool ascii) {
    if (ascii) {
        const std::string line = "0 0 0 1 0 0 0 1 0 0 0 1 0 0 0 0 0 " + std::to_string(width) + " " +
                                 std::to_string(height) + " 0 0\n";
        out.append(line.data(), line.size());
        return;
    }
    const float pose[17] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0};
    const int32_t viewport[2] = {static_cast<int32_t>(width), static_cast<int32_t>(height)};
    const float distortion[2] = {0, 0};
    out.append(pose, sizeof pose);
    out.append(viewport, sizeof viewport);
    out.append(distortion, sizeof distortion);
}

// A point's bytes or text. Binary values are stored in the host's (little-
// endian) order, as PCL stores them.
char* putFloat(float value, char* at) {
    std::memcpy(at, &value, sizeof value);
    return at + sizeof value;
}

template <class Point>
char* putXyz(const Point& p, char* at) {
    return putFloat(p.z, putFloat(p.y, putFloat(p.x, at)));
}

char* putPcdBinary(const pcl::PointXYZ& p, char* at) { return putXyz(p, at); }
char* putPcdBinary(const pcl::PointXYZI& p, char* at) { return putFloat(p.intensity, putXyz(p, at)); }
char* putPcdBinary(const pcl::PointXYZRGBA& p, char* at) {
    at = putXyz(p, at);
    std::memcpy(at, &p.rgba, sizeof p.rgba);
    return at + sizeof p.rgba;
}

char* putPlyBinary(const pcl::PointXYZ& p, char* at) { return putXyz(p, at); }
char* putPlyBinary(const pcl::PointXYZI& p, char* at) { return putFloat(p.intensity, putXyz(p, at)); }
char* putPlyBinary(const pcl::PointXYZRGBA& p, char* at) {
    at = putXyz(p, at);
    at[0] = static_cast<char>(p.r);
    at[1] = static_cast<char>(p.g);
    at[2] = static_cast<char>(p.b);
    at[3] = static_cast<char>(p.a);
    return at + 4;
}

// PCD text prints every NaN as "nan"; PLY text prints what printf does
// ("-nan" for a NaN with its sign bit set).
char* putText(float value, bool pcd, char* at) {
    if (pcd && std::isnan(value)) {
        std::memcpy(at, "nan", 3);
        return at + 3;
    }
    return text::printFloat8(value, at);
}

char* putTextXyz(float x, float y, float z, bool pcd, char* at) {
    at = putText(x, pcd, at);
    *at++ = ' ';
    at = putText(y, pcd, at);
    *at++ = ' ';
    return putText(z, pcd, at);
}

template <class Point>
char* putAsciiLine(const Point& p, bool pcd, char* at);

template <>
char* putAsciiLine(const pcl::PointXYZ& p, bool pcd, char* at) {
    at = putTextXyz(p.x, p.y, p.z, pcd, at);
    *at++ = '\n';
    return at;
}
template <>
char* putAsciiLine(const pcl::PointXYZI& p, bool pcd, char* at) {
    at = putTextXyz(p.x, p.y, p.z, pcd, at);
    *at++ = ' ';
    at = putText(p.intensity, pcd, at);
    *at++ = '\n';
    return at;
}
template <>
char* putAsciiLine(const pcl::PointXYZRGBA& p, bool pcd, char* at) {
    at = putTextXyz(p.x, p.y, p.z, pcd, at);
    *at++ = ' ';
    if (pcd) {
        at = text::printUnsigned(p.rgba, at);  // the packed word, as PCD's "U" field
    } else {
        for (const uint8_t channel : {p.r, p.g, p.b, p.a}) {
            at = text::printUnsigned(channel, at);
            *at++ = ' ';
        }
        --at;
    }
    *at++ = '\n';
    return at;
}

enum class Layout { PcdBinary, PcdAscii, PlyBinary, PlyAscii };

// Opens the file once the conversion knows the size (a refused conversion
// leaves an existing file as it was), writes the header, then each point.
template <class Point>
class FileSink {
public:
    FileSink(const std::string& path, Layout layout) : path_(path), layout_(layout) {}

    void begin(uint32_t width, uint32_t height) {
        width_ = width;
        height_ = height;
        const uint64_t points = static_cast<uint64_t>(width) * height;
        if (!pcd() && points == 0) return;  // PCL's PLY writer refuses an empty cloud
        out_.emplace(path_);
        const bool ascii = layout_ == Layout::PcdAscii || layout_ == Layout::PlyAscii;
        const std::string header = pcd() ? pcdHeaderText(kindOf<Point>(), width, height, ascii)
                                         : plyHeaderText(kindOf<Point>(), points, ascii);
        out_->append(header.data(), header.size());
    }

    void push(const Point& point) {
        if (out_->failed()) return;  // nothing more can reach the file
        char* at = out_->room(kPointRoom);
        switch (layout_) {
            case Layout::PcdBinary: at = putPcdBinary(point, at); break;
            case Layout::PlyBinary: at = putPlyBinary(point, at); break;
            case Layout::PcdAscii: at = putAsciiLine(point, true, at); break;
            case Layout::PlyAscii: at = putAsciiLine(point, false, at); break;
        }
        out_->advance(at);
    }

    void end(bool) {}

    // Closes the file; false when it was refused, did not open or a write failed.
    bool finish() {
        if (!out_) return false;
        if (!pcd()) writePlyCamera(*out_, width_, height_, layout_ == Layout::PlyAscii);
        return out_->finish();
    }

private:
    // Five numbers, their separators and a line end.
    static constexpr size_t kPointRoom = 6 * text::kMaxNumberText;

    bool pcd() const { return layout_ == Layout::PcdBinary || layout_ == Layout::PcdAscii; }

    std::string path_;
    Layout layout_;
    std::optional<FileOutput> out_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
};

template <class Point, class Convert>
int writePointFile(const std::string& path, Layout layout, Convert convert) {
    FileSink<Point> sink(path, layout);
    if (convert(sink) != 0) return -1;
    return sink.finish() ? 0 : -1;
}

}  // namespace

int writePcdCloud(const kxCloud& cloud, const std::string& path, const cloudFileType& type,
                  const cloudChannelType& channel, const cloudOrganizeType& organize) {
    if (!hasExtension(path, ".pcd")) return -1;
    const bool unorganized = organize == CLOUD_UNORGANIZED;
    const Layout layout = type == CLOUD_FILE_PCD_ASCII ? Layout::PcdAscii : Layout::PcdBinary;
    switch (channel) {
        case CLOUD_CHANNEL_Z:
            return writePointFile<pcl::PointXYZ>(path, layout, [&](auto& sink) {
                return conversion::toXyz(cloud, nullptr, sink, unorganized, 0);
            });
        case CLOUD_CHANNEL_INTENSITY:
            return writePointFile<pcl::PointXYZI>(
                path, layout, [&](auto& sink) { return conversion::toXyzi(cloud, sink, unorganized); });
        case CLOUD_CHANNEL_COLOR:
            return writePointFile<pcl::PointXYZRGBA>(
                path, layout, [&](auto& sink) { return conversion::toXyzRgba(cloud, sink, unorganized); });
    }
    return 0;  // another channel writes nothing
}

int writePlyCloud(const kxCloud& cloud, const std::string& path, const cloudFileType& type,
                  const cloudChannelType& channel, const cloudOrganizeType& organize) {
    if (!hasExtension(path, ".ply")) return -1;
    const bool unorganized = organize == CLOUD_UNORGANIZED;
    const Layout layout = type == CLOUD_FILE_PLY_ASCII ? Layout::PlyAscii : Layout::PlyBinary;
    if (channel == CLOUD_CHANNEL_INTENSITY)
        return writePointFile<pcl::PointXYZI>(
            path, layout, [&](auto& sink) { return conversion::toXyzi(cloud, sink, unorganized); });
    if (channel == CLOUD_CHANNEL_COLOR)
        return writePointFile<pcl::PointXYZRGBA>(
            path, layout, [&](auto& sink) { return conversion::toXyzRgba(cloud, sink, unorganized); });
    return writePointFile<pcl::PointXYZ>(
        path, layout, [&](auto& sink) { return conversion::toXyz(cloud, nullptr, sink, unorganized, 0); });
}

}  // namespace kx::common
