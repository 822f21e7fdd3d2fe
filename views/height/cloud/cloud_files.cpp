// writeCloud and readCloud: the checks every file type shares, then the
// writer or reader of the type. Nothing escapes as an exception: a failing
// file system, OpenCV or PCL call is a refusal like any other.
#include <filesystem>
#include <system_error>

#include "views/height/cloud/cloud_file_parts.h"

namespace kx::common {

namespace fs = std::filesystem;

bool hasExtension(const std::string& path, const char* extension) {
    return fs::path(path).extension() == extension;
}

namespace {

bool folderExists(const fs::path& path) {
    const fs::path folder = path.parent_path();
    std::error_code error;
    return !folder.empty() && fs::is_directory(folder, error);
}

bool isReadableFile(const fs::path& path) {
    std::error_code error;
    // A device or a pipe could block or never end; only plain files are read.
    return fs::is_regular_file(path, error);
}

int writeByType(const kxCloud& cloud, const std::string& path, const cloudFileType& type,
                const cloudChannelType& channel, const cloudOrganizeType& organize) {
    switch (type) {
        case CLOUD_FILE_NONE: return 0;
        case CLOUD_FILE_TIFF: return writeTiffCloud(cloud, path, channel);
        case CLOUD_FILE_TIF: return writeTifCloud(cloud, path, channel);
        case CLOUD_FILE_CSV: return writeCsvCloud(cloud, path, channel);
        case CLOUD_FILE_PCD_BINARY:
        case CLOUD_FILE_PCD_ASCII: return writePcdCloud(cloud, path, type, channel, organize);
        case CLOUD_FILE_PLY_BINARY:
        case CLOUD_FILE_PLY_ASCII: return writePlyCloud(cloud, path, type, channel, organize);
    }
    return -1;
}

}  // namespace

int writeCloud(const kxCloud& cloud, const std::string& path, const cloudFileType& type,
               const cloudChannelType& channel, const cloudOrganizeType& organize) {
    try {
        if (cloud.z.empty() || path.empty()) return -1;
        const fs::path file(path);
        if (!folderExists(file) || !file.has_extension()) return -1;
        return writeByType(cloud, path, type, channel, organize);
    } catch (...) {
        return -1;
    }
}

int readCloud(const std::string& path, const cloudFileType& type, kxCloud& cloud, float xPitch, float yPitch, int cols,
              int rows, float zMin, float zMax, float invalidValue, const cloudChannelType& channel) {
    try {
        if (path.empty() || !isReadableFile(path) || !fs::path(path).has_extension()) return -1;
        switch (type) {
            case CLOUD_FILE_NONE: return 0;
            case CLOUD_FILE_TIFF:
                return readTiffCloud(path, cloud, xPitch, yPitch, zMin, zMax, invalidValue, channel);
            case CLOUD_FILE_CSV: return readCsvCloud(path, cloud, xPitch, yPitch, zMin, zMax, invalidValue, channel);
            case CLOUD_FILE_PCD_BINARY:
            case CLOUD_FILE_PCD_ASCII:
                return readPcdCloud(path, cloud, xPitch, yPitch, cols, rows, zMin, zMax, invalidValue, channel);
            case CLOUD_FILE_PLY_BINARY:
            case CLOUD_FILE_PLY_ASCII:
                return readPlyCloud(path, cloud, xPitch, yPitch, cols, rows, zMin, zMax, invalidValue, channel);
            default: return -1;  // TIF files are written, never read
        }
    } catch (...) {
        return -1;
    }
}

}  // namespace kx::common
