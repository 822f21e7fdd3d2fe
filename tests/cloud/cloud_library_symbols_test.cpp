// libmirevo_cloud.so shows kx::common and nothing else: its functions, the
// members of the two classes, their vtables and type information.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

std::set<std::string> dynamicSymbols() {
    const std::string command = std::string("nm -D --defined-only -C '") + CLOUD_SHARED_LIBRARY + "'";
    std::set<std::string> symbols;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return symbols;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        // "ADDRESS TYPE NAME"
        const size_t type = text.find(' ');
        if (type == std::string::npos || type + 3 > text.size()) continue;
        symbols.insert(text.substr(type + 3));
    }
    ::pclose(pipe);
    return symbols;
}

bool anyStartsWith(const std::set<std::string>& symbols, const std::string& prefix) {
    for (const std::string& symbol : symbols)
        if (symbol.rfind(prefix, 0) == 0) return true;
    return false;
}

TEST(CloudLibrarySymbols, ShowsOnlyKxCommon) {
    const std::set<std::string> symbols = dynamicSymbols();
    ASSERT_FALSE(symbols.empty()) << "nm found nothing in " << CLOUD_SHARED_LIBRARY;
    const char* const allowed[] = {"kx::common::", "vtable for kx::common::", "typeinfo for kx::common::",
                                   "typeinfo name for kx::common::"};
    for (const std::string& symbol : symbols) {
        bool known = false;
        for (const char* prefix : allowed) known = known || symbol.rfind(prefix, 0) == 0;
        EXPECT_TRUE(known) << symbol;
    }
}

TEST(CloudLibrarySymbols, ShowsTheWholeInterface) {
    const std::set<std::string> symbols = dynamicSymbols();
    const char* const wanted[] = {
        "kx::common::writeCloud(",
        "kx::common::readCloud(",
        "kx::common::kxCloudToPointCloud(kx::common::kxCloud const&, pcl::PointCloud<pcl::PointXYZ>&",
        "kx::common::kxCloudToPointCloud(kx::common::kxCloud const&, cv::Mat const&",
        "kx::common::kxCloudToPointCloudI(",
        "kx::common::kxCloudToPointCloudRGBA(",
        "kx::common::KxImage::KxImage()",
        "kx::common::KxImage::KxImage(kx::common::KxImage const&)",
        "kx::common::KxImage::KxImage(kx::common::KxImage&&)",
        "kx::common::KxImage::KxImage(unsigned char const*, int, int)",
        "kx::common::KxImage::KxImage(unsigned char const*, int, int, int)",
        "kx::common::KxImage::KxImage(unsigned char const*, unsigned char const*, unsigned char const*, int, int)",
        "kx::common::KxImage::KxImage(kx::common::KxImage const&, cv::Rect_<int> const&)",
        "kx::common::KxImage::~KxImage()",
        "kx::common::KxImage::operator=(kx::common::KxImage&&)",
        "kx::common::KxImage::operator=(kx::common::KxImage const&)",
        "kx::common::KxImage::clone() const",
        "kx::common::KxImage::copyTo(kx::common::KxImage&) const",
        "kx::common::KxImage::copyTo(kx::common::KxImage&, cv::Mat const&) const",
        "kx::common::KxImage::copyTo(kx::common::KxImage&, unsigned char*) const",
        "kx::common::kxCloud::kxCloud()",
        "kx::common::kxCloud::kxCloud(float const*, float, float, float, float, int, int, float)",
        "kx::common::kxCloud::kxCloud(float const*, unsigned char const*, float, float, float, float, int, int, float)",
        "kx::common::kxCloud::kxCloud(cv::Mat const&, float, float, float, float, float)",
        "kx::common::kxCloud::kxCloud(cv::Mat const&, cv::Mat const&, float, float, float, float, float)",
        "kx::common::kxCloud::~kxCloud()",
        "kx::common::kxCloud::operator=(kx::common::kxCloud&&)",
        "kx::common::kxCloud::operator=(kx::common::kxCloud const&)",
        "vtable for kx::common::KxImage",
        "vtable for kx::common::kxCloud",
        "typeinfo for kx::common::KxImage",
        "typeinfo for kx::common::kxCloud",
    };
    for (const char* prefix : wanted) EXPECT_TRUE(anyStartsWith(symbols, prefix)) << prefix;
}

}  // namespace
