#pragma once
// The writers and readers behind writeCloud and readCloud, one per file
// format, and the helpers they share. Internal to the library (hidden);
// declared here so that tests and fuzz targets can reach them.
#include <string>

#include "views/height/cloud/kx_common.h"

namespace kx::common {

// Each writer and reader first compares the path's extension with its own
// (case-sensitively) and refuses a mismatch.
int writeCsvCloud(const kxCloud& cloud, const std::string& path, const cloudChannelType& channel);
int writeTiffCloud(const kxCloud& cloud, const std::string& path, const cloudChannelType& channel);
int writeTifCloud(const kxCloud& cloud, const std::string& path, const cloudChannelType& channel);
// name.bmp (intensity, channel 1) or name.jpg (colour, channel 2) beside path.
int writeCompanionImages(const kxCloud& cloud, const std::string& path, const cloudChannelType& channel);
int writePcdCloud(const kxCloud& cloud, const std::string& path, const cloudFileType& type,
                  const cloudChannelType& channel, const cloudOrganizeType& organize);
int writePlyCloud(const kxCloud& cloud, const std::string& path, const cloudFileType& type,
                  const cloudChannelType& channel, const cloudOrganizeType& organize);

int readCsvCloud(const std::string& path, kxCloud& cloud, float xPitch, float yPitch, float zMin, float zMax,
                 float invalidValue, const cloudChannelType& channel);
int readTiffCloud(const std::string& path, kxCloud& cloud, float xPitch, float yPitch, float zMin, float zMax,
                  float invalidValue, const cloudChannelType& channel);
// Heights of one channel become the cloud's z as floats, provided the cloud's
// pitches are positive and zMin < zMax; otherwise z stays empty. Several
// channels are refused.
int setCloudHeights(kxCloud& cloud, const cv::Mat& heights);
// intensity from name.bmp (channels 1 and 2) and colour from name.jpg
// (channel 2); an image that does not fit the heights is refused.
int readCompanionImages(const std::string& path, kxCloud& cloud, const cloudChannelType& channel);
int readPcdCloud(const std::string& path, kxCloud& cloud, float xPitch, float yPitch, int cols, int rows, float zMin,
                 float zMax, float invalidValue, const cloudChannelType& channel);
int readPlyCloud(const std::string& path, kxCloud& cloud, float xPitch, float yPitch, int cols, int rows, float zMin,
                 float zMax, float invalidValue, const cloudChannelType& channel);

// Width and height from a PCD header (WIDTH, HEIGHT) or the vertex count of a
// PLY header (height 1); -1 for a value the header does not give. Prints each
// value found to standard output. -1 for another extension, a file that does
// not open, or a number that is not a plain count.
int readHeaderSize(const std::string& path, int& width, int& height);

// True when the path's extension is exactly `extension` (with its dot).
bool hasExtension(const std::string& path, const char* extension);

}  // namespace kx::common
