#pragma once
// The image and cloud interface that other programs use through
// libmirevo_cloud.so: the image type, the height-map cloud, and the cloud
// files. Needs OpenCV core only; the conversions to PCL point clouds are in
// kx_point_cloud.h.
//
// Every function returns 0 when done and -1 when it refused; nothing else is
// reported.
#include <cstdint>
#include <string>

#include <opencv2/core.hpp>

#include "views/height/cloud/kx_export.h"

namespace kx::common {

// An 8-bit image of one to four channels with a name and a few integers that
// travel with it. Pixels follow cv::Mat ownership: copies share them, clone
// and copyTo make new buffers.
class KX_COMMON_API KxImage {
public:
    std::string name;
    int32_t kind = 1;
    cv::Mat mat;
    int32_t posX = 0;
    int32_t posY = 0;
    int64_t extra = 0;  // opaque to this library, copied bit for bit
    int32_t extraFlag = 0;

    KxImage();
    KxImage(const KxImage& other);
    KxImage(KxImage&& other) noexcept;
    // Virtual in this order: move assignment, copy assignment, destructor.
    virtual KxImage& operator=(KxImage&& other) noexcept;
    virtual KxImage& operator=(const KxImage& other);
    virtual ~KxImage();

    // rows x cols bytes, row after row, into a CV_8UC1 image.
    KxImage(const uchar* data, int rows, int cols);
    // rows x cols x channels interleaved bytes; channels other than 1 to 4
    // leave the image empty and read nothing.
    KxImage(const uchar* data, int rows, int cols, int channels);
    // Three dense planes of rows x cols bytes into the channels 0, 1, 2.
    KxImage(const uchar* plane0, const uchar* plane1, const uchar* plane2, int rows, int cols);
    // A view of a rectangle of the source's pixels (no copy); posX and posY
    // are the source's, not shifted by the rectangle.
    KxImage(const KxImage& source, const cv::Rect& roi);

    KxImage clone() const;
    void copyTo(KxImage& target) const;
    void copyTo(KxImage& target, const cv::Mat& mask) const;
    // A null mask copies every pixel; otherwise the mask is rows x cols bytes.
    void copyTo(KxImage& target, uchar* mask) const;
};

// A height map: heights (CV_32FC1), optional intensity (CV_8UC1) and colour
// (CV_8UC3, channel 0 red) of the same size, the pitches between columns and
// rows, the height range and the height of a cell without measurement.
// Cell (r, c) lies at x = (c - xOrigin) * xPitch, y = (r - yOrigin) * yPitch.
class KX_COMMON_API kxCloud {
public:
    std::string name;
    cv::Mat z;
    cv::Mat intensity;
    cv::Mat color;
    float xPitch = 0.0f;
    float yPitch = 0.0f;
    float zMin = 0.0f;
    float zMax = 0.0f;
    float invalidValue = -9999.0f;
    float xOrigin = 0.0f;
    float yOrigin = 0.0f;
    int32_t extraFlag = 0;

    kxCloud();
    kxCloud(const kxCloud& other);
    kxCloud(kxCloud&& other) noexcept;
    // Virtual in this order: move assignment, copy assignment, destructor.
    virtual kxCloud& operator=(kxCloud&& other) noexcept;
    virtual kxCloud& operator=(const kxCloud& other);
    virtual ~kxCloud();

    // The matrices are shared, not copied.
    kxCloud(const cv::Mat& z, const cv::Mat& intensity, float xPitch, float yPitch, float zMin, float zMax,
            float invalidValue);
    kxCloud(const cv::Mat& z, float xPitch, float yPitch, float zMin, float zMax, float invalidValue);
    // rows x cols heights (and bytes of intensity) copied, row after row.
    kxCloud(const float* z, float xPitch, float yPitch, float zMin, float zMax, int rows, int cols,
            float invalidValue);
    kxCloud(const float* z, const uchar* intensity, float xPitch, float yPitch, float zMin, float zMax, int rows,
            int cols, float invalidValue);
};

// File types; the extension the path must have, case-sensitively:
// 0 none (nothing is written or read), 1 ".tiff", 2 ".tif" (write only),
// 3 ".csv", 4 and 5 ".pcd" (binary, ASCII), 6 and 7 ".ply" (binary, ASCII).
enum cloudFileType : int {
    CLOUD_FILE_NONE = 0,
    CLOUD_FILE_TIFF = 1,
    CLOUD_FILE_TIF = 2,
    CLOUD_FILE_CSV = 3,
    CLOUD_FILE_PCD_BINARY = 4,
    CLOUD_FILE_PCD_ASCII = 5,
    CLOUD_FILE_PLY_BINARY = 6,
    CLOUD_FILE_PLY_ASCII = 7,
};

// What travels with the heights: inside PCD and PLY files as the point type,
// beside CSV and TIFF files as name.bmp (intensity) and name.jpg (colour).
enum cloudChannelType : int {
    CLOUD_CHANNEL_Z = 0,
    CLOUD_CHANNEL_INTENSITY = 1,
    CLOUD_CHANNEL_COLOR = 2,
};

// 1 writes the valid points as one row; any other value the whole grid.
enum cloudOrganizeType : int {
    CLOUD_ORGANIZED = 0,
    CLOUD_UNORGANIZED = 1,
};

KX_COMMON_API int writeCloud(const kxCloud& cloud, const std::string& path, const cloudFileType& type,
                             const cloudChannelType& channel, const cloudOrganizeType& organize);

// cols and rows (the grid size) are used by the PCD and PLY readers only; the
// pitches, the range and invalidValue are stored into the cloud.
KX_COMMON_API int readCloud(const std::string& path, const cloudFileType& type, kxCloud& cloud, float xPitch,
                            float yPitch, int cols, int rows, float zMin, float zMax, float invalidValue,
                            const cloudChannelType& channel);

}  // namespace kx::common
