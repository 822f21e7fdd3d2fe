#pragma once
// The headers of the PCD and PLY files the library writes, as PCL's writers
// lay them out for the three point types. The readers recognise their own
// files by them. Internal to the library; free of PCL.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kx::common {

// XYZ (heights), XYZI (with intensity), XYZRGBA (with colour and alpha).
enum class PointKind { Xyz, Xyzi, Xyzrgba };

std::string pcdHeaderText(PointKind kind, uint32_t width, uint32_t height, bool ascii);

// Vertices, an empty face element and PCL's camera element.
std::string plyHeaderText(PointKind kind, uint64_t vertices, bool ascii);

// Bytes of one vertex of a binary PLY file, and of the camera element after
// the vertices: 17 floats of pose and intrinsics, the width and height as two
// 32-bit integers, two floats of distortion.
size_t plyVertexBytes(PointKind kind);
constexpr size_t kPlyCameraBytes = 21 * 4;
constexpr size_t kPlyCameraViewportAt = 17 * 4;

}  // namespace kx::common
