#include "views/height/cloud/point_file_headers.h"

namespace kx::common {
namespace {

struct KindWords {
    const char* pcdFields;
    const char* pcdSizes;
    const char* pcdTypes;
    const char* pcdCounts;
    const char* plyProperties;
};

KindWords wordsOf(PointKind kind) {
    switch (kind) {
        case PointKind::Xyzi: return {" intensity", " 4", " F", " 1", "property float intensity\n"};
        case PointKind::Xyzrgba:
            return {" rgba", " 4", " U", " 1",
                    "property uchar red\nproperty uchar green\nproperty uchar blue\nproperty uchar alpha\n"};
        case PointKind::Xyz: break;
    }
    return {"", "", "", "", ""};
}

constexpr const char* kPlyCamera =
    "element face 0\nelement camera 1\n"
    "property float view_px\nproperty float view_py\nproperty float view_pz\n"
    "property float x_axisx\nproperty float x_axisy\nproperty float x_axisz\n"
    "property float y_axisx\nproperty float y_axisy\nproperty float y_axisz\n"
    "property float z_axisx\nproperty float z_axisy\nproperty float z_axisz\n"
    "property float focal\nproperty float scalex\nproperty float scaley\n"
    "property float centerx\nproperty float centery\n"
    "property int viewportx\nproperty int viewporty\n"
    "property float k1\nproperty float k2\n"
    "end_header\n";

}  // namespace

std::string pcdHeaderText(PointKind kind, uint32_t width, uint32_t height, bool ascii) {
    const KindWords words = wordsOf(kind);
    return std::string("# .PCD v0.7 - Point Cloud Data file format\nVERSION 0.7\nFIELDS x y z") + words.pcdFields +
           "\nSIZE 4 4 4" + words.pcdSizes + "\nTYPE F F F" + words.pcdTypes + "\nCOUNT 1 1 1" + words.pcdCounts +
           "\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height) +
           "\nVIEWPOINT 0 0 0 1 0 0 0\nPOINTS " + std::to_string(static_cast<uint64_t>(width) * height) +
           (ascii ? "\nDATA ascii\n" : "\nDATA binary\n");
}

std::string plyHeaderText(PointKind kind, uint64_t vertices, bool ascii) {
    return std::string("ply\nformat ") + (ascii ? "ascii" : "binary_little_endian") +
           " 1.0\ncomment PCL generated\nelement vertex " + std::to_string(vertices) +
           "\nproperty float x\nproperty float y\nproperty float z\n" + wordsOf(kind).plyProperties + kPlyCamera;
}

size_t plyVertexBytes(PointKind kind) { return kind == PointKind::Xyz ? 12 : 16; }

}  // namespace kx::common
