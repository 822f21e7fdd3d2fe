// PCD and PLY files read back into a grid through the point types of the
// channel: XYZ (heights), XYZI (intensity), XYZRGBA (colour and intensity).
//
// Every file is checked first, and the check's reading of the header must be
// PCL's own. Binary bodies that PCL would copy byte for byte (binary PCD, and
// binary PLY files as the writers lay them out) are then read where the file
// is mapped, with PCL's own field mapping; every other body is read by PCL.
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include <pcl/conversions.h>
#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

#include "views/height/cloud/cloud_file_parts.h"
#include "views/height/cloud/grid_fill.h"
#include "views/height/cloud/mapped_file.h"
#include "views/height/cloud/point_file_check.h"
#include "views/height/cloud/point_file_headers.h"

namespace kx::common {
namespace {

// Reads the points of one type with PCL; false when PCL refuses the file. PCL
// reads the file into its blob first; the blob is checked before PCL's
// conversion walks it (an empty one would be addressed through a null first
// point).
template <class Reader, class Point>
bool readPointsWithPcl(const std::string& path, pcl::PointCloud<Point>& points) {
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

template <class Reader>
struct ReadByPcl {
    std::string path;

    template <class Point, class Use>
    bool withPoints(Use use) const {
        pcl::PointCloud<Point> points;
        return readPointsWithPcl<Reader>(path, points) && use(points);
    }
};

void copyBytes(uint8_t* to, const uint8_t* from, uint32_t bytes) {
    // Fixed sizes become plain loads and stores.
    switch (bytes) {
        case 4: std::memcpy(to, from, 4); return;
        case 8: std::memcpy(to, from, 8); return;
        case 12: std::memcpy(to, from, 12); return;
        case 16: std::memcpy(to, from, 16); return;
        default: std::memcpy(to, from, bytes);
    }
}

// A binary body whose records PCL would copy as they are.
struct BodyInPlace {
    const uint8_t* body = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    size_t step = 0;                          // bytes of one record
    std::vector<pcl::PCLPointField> fields;  // the record's fields, as PCL names them
    // A PLY vertex holds red, green, blue and alpha bytes at this offset,
    // which PCL's reader packs into its "rgba" word (blue in the low byte).
    std::optional<uint32_t> plyColourAt;
};

// The points of a body read in place: point i is record i, its fields copied
// into the point as PCL's own conversion copies them (the same mapping;
// members the file lacks keep the point type's defaults).
template <class Point>
class PointsInPlace {
public:
    explicit PointsInPlace(const BodyInPlace& body)
        : width(body.width), height(body.height), body_(body.body), step_(body.step),
          count_(static_cast<size_t>(body.width) * body.height) {
        pcl::MsgFieldMap mapping;
        pcl::createMapping<Point>(body.fields, mapping);
        for (const pcl::detail::FieldMapping& field : mapping) {
            const Copy copy{static_cast<uint32_t>(field.serialized_offset), static_cast<uint32_t>(field.struct_offset),
                            static_cast<uint32_t>(field.size)};
            copies_.push_back(copy);
            if (body.plyColourAt && *body.plyColourAt >= copy.from && *body.plyColourAt < copy.from + copy.bytes)
                swapAt_ = copy.to + (*body.plyColourAt - copy.from);
        }
    }

    uint32_t width;
    uint32_t height;
    size_t size() const { return count_; }

    Point operator[](size_t i) const {
        Point point;
        auto* to = reinterpret_cast<uint8_t*>(&point);
        const uint8_t* record = body_ + i * step_;
        for (const Copy& copy : copies_) copyBytes(to + copy.to, record + copy.from, copy.bytes);
        if (swapAt_) std::swap(to[*swapAt_], to[*swapAt_ + 2]);
        return point;
    }

private:
    struct Copy {
        uint32_t from;
        uint32_t to;
        uint32_t bytes;
    };

    const uint8_t* body_;
    size_t step_;
    size_t count_;
    std::vector<Copy> copies_;
    std::optional<uint32_t> swapAt_;
};

struct ReadInPlace {
    BodyInPlace body;

    template <class Point, class Use>
    bool withPoints(Use use) const {
        return use(PointsInPlace<Point>(body));
    }
};

void storeRequest(kxCloud& cloud, float xPitch, float yPitch, float zMin, float zMax, float invalidValue) {
    cloud.xPitch = xPitch;
    cloud.yPitch = yPitch;
    cloud.zMin = zMin;
    cloud.zMax = zMax;
    cloud.invalidValue = invalidValue;
}

// What the header announced; the points read must agree before a cell is
// written. -1 leaves a value unchecked.
struct Announced {
    int64_t points = -1;
    int width = -1;
    int height = -1;
};

template <class Points>
bool matchesHeader(const Points& points, const Announced& announced) {
    return (announced.points < 0 || static_cast<int64_t>(points.size()) == announced.points) &&
           (announced.width < 0 || static_cast<int64_t>(points.width) == announced.width) &&
           (announced.height < 0 || static_cast<int64_t>(points.height) == announced.height);
}

// The grid is made only once the points are in, agree with the header and
// fit the grid; the fills decide what its cells hold.
template <class Points>
bool makeGridFor(const Points& points, const Announced& announced, kxCloud& cloud, int cols, int rows) {
    if (!matchesHeader(points, announced)) return false;
    cloud.z.create(rows, cols, CV_32FC1);
    if (pointsFitGrid(points, cloud)) return true;
    cloud.z.release();
    return false;
}

// Reads the channel's point type from `source` and fills the grid; the pitches
// and range are already stored in the cloud.
template <class Source>
int readPointsIntoGrid(const Source& source, const Announced& announced, kxCloud& cloud, int cols, int rows,
                       const cloudChannelType& channel) {
    bool read = false;
    if (channel == CLOUD_CHANNEL_INTENSITY) {
        read = source.template withPoints<pcl::PointXYZI>([&](const auto& points) {
            if (!makeGridFor(points, announced, cloud, cols, rows)) return false;
            fillIntensityFromPoints(points, cloud);
            fillGridFromPoints(points, cloud);
            return true;
        });
    } else if (channel == CLOUD_CHANNEL_COLOR) {
        read = source.template withPoints<pcl::PointXYZRGBA>([&](const auto& points) {
            if (!makeGridFor(points, announced, cloud, cols, rows)) return false;
            fillColorFromPoints(points, cloud);
            fillGridFromPoints(points, cloud);
            return true;
        });
    } else {
        read = source.template withPoints<pcl::PointXYZ>([&](const auto& points) {
            if (!makeGridFor(points, announced, cloud, cols, rows)) return false;
            fillGridFromPoints(points, cloud);
            return true;
        });
    }
    return read ? 0 : -1;
}

pcl::PCLPointField pclField(const std::string& name, uint32_t offset, int datatype, uint32_t count) {
    pcl::PCLPointField field;
    field.name = name;
    field.offset = offset;
    field.datatype = static_cast<uint8_t>(datatype);
    field.count = count;
    return field;
}

// A binary PCD body as PCL lays out its records (the header agrees with PCL's).
BodyInPlace pcdBody(const MappedFile& file, const PcdHeader& header) {
    BodyInPlace body;
    body.body = file.data() + header.bodyOffset;
    body.width = header.width;
    body.height = header.height;
    body.step = static_cast<size_t>(header.pointBytes);
    uint32_t offset = 0;
    for (const PcdField& field : header.fields) {
        body.fields.push_back(pclField(field.name, offset, pcl::getFieldType(static_cast<int>(field.size), field.type),
                                       field.count));
        offset += field.size * field.count;
    }
    return body;
}

// A binary PLY file exactly as the writers lay it out (their header, the
// vertices, the camera element, nothing more), whose camera gives a width and
// height of all its vertices: PCL's reader takes its points as they are and
// that width and height. Other PLY files go to PCL.
std::optional<BodyInPlace> plyBodyOfOurs(const MappedFile& file, const PlyHeader& header) {
    if (header.format != PlyHeader::Format::BinaryLittleEndian || header.elements.empty() || file.empty())
        return std::nullopt;
    const uint64_t vertices = header.elements.front().count;
    for (const PointKind kind : {PointKind::Xyz, PointKind::Xyzi, PointKind::Xyzrgba}) {
        const std::string text = plyHeaderText(kind, vertices, false);
        if (text.size() != header.bodyOffset || file.size() < text.size() ||
            std::memcmp(file.data(), text.data(), text.size()) != 0)
            continue;
        const uint64_t vertexBytes = vertices * plyVertexBytes(kind);
        if (file.size() != text.size() + vertexBytes + kPlyCameraBytes) return std::nullopt;
        int32_t viewport[2] = {0, 0};
        std::memcpy(viewport, file.data() + text.size() + vertexBytes + kPlyCameraViewportAt, sizeof viewport);
        if (viewport[0] <= 0 || viewport[1] <= 0 ||
            static_cast<uint64_t>(viewport[0]) * static_cast<uint64_t>(viewport[1]) != vertices)
            return std::nullopt;
        BodyInPlace body;
        body.body = file.data() + text.size();
        body.width = static_cast<uint32_t>(viewport[0]);
        body.height = static_cast<uint32_t>(viewport[1]);
        body.step = plyVertexBytes(kind);
        using Field = pcl::PCLPointField;
        body.fields = {pclField("x", 0, Field::FLOAT32, 1), pclField("y", 4, Field::FLOAT32, 1),
                       pclField("z", 8, Field::FLOAT32, 1)};
        if (kind == PointKind::Xyzi) body.fields.push_back(pclField("intensity", 12, Field::FLOAT32, 1));
        if (kind == PointKind::Xyzrgba) {
            body.fields.push_back(pclField("rgba", 12, Field::UINT32, 1));
            body.plyColourAt = 12;
        }
        return body;
    }
    return std::nullopt;
}

}  // namespace

int readPcdCloud(const std::string& path, kxCloud& cloud, float xPitch, float yPitch, int cols, int rows, float zMin,
                 float zMax, float invalidValue, const cloudChannelType& channel) {
    if (!hasExtension(path, ".pcd")) return -1;
    cloud.z.release();
    cloud.color.release();
    cloud.intensity.release();
    int width = -1;
    int height = -1;
    PcdHeader header;
    if (readHeaderSize(path, width, height) != 0 || !pcdFileIsSound(path, header) ||
        !pclReadsPcdHeaderAlike(path, header))
        return -1;
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
    if (header.data == PcdHeader::Data::Binary) {
        const MappedFile file(path);
        const uint64_t bodyBytes = header.pointBytes * header.width * header.height;
        if (file.empty() || file.size() < header.bodyOffset + bodyBytes) return -1;  // changed since the check
        return readPointsIntoGrid(ReadInPlace{pcdBody(file, header)}, announced, cloud, cols, rows, channel);
    }
    return readPointsIntoGrid(ReadByPcl<pcl::PCDReader>{path}, announced, cloud, cols, rows, channel);
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
    PlyHeader header;
    if (readHeaderSize(path, vertices, height) != 0 || !plyFileIsSound(path, header) ||
        !pclReadsPlyHeaderAlike(path, header))
        return -1;
    const bool wholeGrid = vertices >= 0 && static_cast<int64_t>(vertices) == static_cast<int64_t>(cols) * rows;
    if (!(wholeGrid || (xPitch > 0 && yPitch > 0))) return -1;
    storeRequest(cloud, xPitch, yPitch, zMin, zMax, invalidValue);
    Announced announced;
    announced.points = vertices;
    if (header.format == PlyHeader::Format::BinaryLittleEndian) {
        const MappedFile file(path);
        if (std::optional<BodyInPlace> body = plyBodyOfOurs(file, header))
            return readPointsIntoGrid(ReadInPlace{std::move(*body)}, announced, cloud, cols, rows, channel);
    }
    return readPointsIntoGrid(ReadByPcl<pcl::PLYReader>{path}, announced, cloud, cols, rows, channel);
}

}  // namespace kx::common
