// Heights as CSV text: the bytes cv::format(z, FMT_CSV) prints, plus one line
// end, written row by row so that a large grid never exists twice as text.
#include <fstream>
#include <mutex>
#include <string>

#include <opencv2/ml.hpp>

#include "views/height/cloud/cloud_file_parts.h"
#include "views/height/cloud/number_text.h"

namespace kx::common {
namespace {

// One grid row of 32-bit floats as OpenCV's CSV formatter prints it: "%.8g"
// values separated by ", ".
void appendFloatRow(const float* values, int cols, std::string& line) {
    char number[text::kMaxNumberText];
    for (int c = 0; c < cols; ++c) {
        if (c > 0) line.append(", ");
        line.append(number, text::printFloat8(values[c], number));
    }
}

// OpenCV's CSV text of a matrix is its rows' texts, each followed by a line
// end when there are several rows; the file adds one more line end.
bool writeCsvText(const cv::Mat& z, std::ostream& out) {
    const bool fastFloats = z.type() == CV_32FC1;
    std::string text;
    for (int r = 0; r < z.rows && out; ++r) {
        text.clear();
        if (fastFloats) {
            appendFloatRow(z.ptr<float>(r), z.cols, text);
        } else {
            text << cv::format(z.row(r), cv::Formatter::FMT_CSV);
        }
        if (z.rows > 1) text.push_back('\n');
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    out.put('\n');
    out.flush();
    return static_cast<bool>(out);
}

// The CSV loader splits lines with strtok, whose state is shared by the whole
// process: two loads at once must not interleave.
std::mutex& csvLoaderMutex() {
    static std::mutex mutex;
    return mutex;
}

cv::Mat loadCsvSamples(const std::string& path) {
    std::lock_guard<std::mutex> lock(csvLoaderMutex());
    // No header line; responseStartIdx -2 makes every column a sample variable.
    const cv::Ptr<cv::ml::TrainData> data = cv::ml::TrainData::loadFromCSV(path, 0, -2, 0, cv::String(), ',', '?');
    if (!data) return cv::Mat();
    return data->getTrainSamples(cv::ml::ROW_SAMPLE, true, true);
}

}  // namespace

int writeCsvCloud(const kxCloud& cloud, const std::string& path, const cloudChannelType& channel) {
    if (!hasExtension(path, ".csv")) return -1;
    std::ofstream out(path, std::ios::out | std::ios::trunc);
    if (!out || !writeCsvText(cloud.z, out)) return -1;
    out.close();
    if (out.fail()) return -1;
    return writeCompanionImages(cloud, path, channel);
}

int readCsvCloud(const std::string& path, kxCloud& cloud, float xPitch, float yPitch, float zMin, float zMax,
                 float invalidValue, const cloudChannelType& channel) {
    if (!hasExtension(path, ".csv")) return -1;
    cloud.z.release();
    cloud.color.release();
    cloud.intensity.release();
    cv::Mat samples;
    try {
        samples = loadCsvSamples(path);
    } catch (const cv::Exception&) {
        return -1;
    }
    if (samples.empty()) return -1;
    cloud.xPitch = xPitch;
    cloud.yPitch = yPitch;
    cloud.zMin = zMin;
    cloud.zMax = zMax;
    cloud.invalidValue = invalidValue;
    if (setCloudHeights(cloud, samples) != 0) return -1;
    return readCompanionImages(path, cloud, channel);
}

}  // namespace kx::common
