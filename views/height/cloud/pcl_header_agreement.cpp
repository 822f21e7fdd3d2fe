// PCL's own reading of a PCD or PLY header, compared with what the file check
// read, before PCL (or our own reader, by the checked layout) reads the data.
#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <pcl/PCLPointCloud2.h>
#include <pcl/common/io.h>
#include <pcl/io/pcd_io.h>
#include <pcl/io/ply/ply_parser.h>

#include "views/height/cloud/point_file_check.h"

namespace kx::common {

namespace {

// The file's first bytes: the header and the start of the body, where PCL's
// header reader may still find lines it takes for its own.
std::string headerAndBodyStart(const std::string& path, uint64_t bodyOffset) {
    constexpr uint64_t kBodyStart = 64 * 1024;
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<size_t>(bodyOffset + kBodyStart), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

// PCL's header reader also sizes the buffer it would read the points into:
// zeroed, hundreds of megabytes for a large grid, and of no use here. It is
// handed the header with the numbers of WIDTH, HEIGHT and POINTS written as 1
// in as many digits ("3200" becomes "0001"): the same lines, words and
// offsets, and room for one point.
void shrinkCounts(std::string& bytes, uint64_t headerBytes) {
    const char* const blanks = " \t\r\v\f";
    size_t line = 0;
    while (line < headerBytes) {
        const size_t lineEnd = std::min<size_t>(bytes.find('\n', line), headerBytes);
        const size_t keyword = bytes.find_first_not_of(blanks, line);
        const size_t keywordEnd = keyword < lineEnd ? bytes.find_first_of(blanks, keyword) : lineEnd;
        const size_t value = keywordEnd < lineEnd ? bytes.find_first_not_of(blanks, keywordEnd) : lineEnd;
        const size_t valueEnd = value < lineEnd ? std::min(bytes.find_first_of(blanks, value), lineEnd) : lineEnd;
        if (value < lineEnd) {
            const std::string word = bytes.substr(keyword, keywordEnd - keyword);
            const bool count = word == "WIDTH" || word == "HEIGHT" || word == "POINTS";
            const bool digits = std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(value),
                                            bytes.begin() + static_cast<std::ptrdiff_t>(valueEnd),
                                            [](char ch) { return ch >= '0' && ch <= '9'; });
            if (count && digits) {
                std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(value),
                          bytes.begin() + static_cast<std::ptrdiff_t>(valueEnd), '0');
                bytes[valueEnd - 1] = '1';
            }
        }
        line = lineEnd + 1;
    }
}

}  // namespace

bool pclReadsPcdHeaderAlike(const std::string& path, const PcdHeader& header) {
    std::string bytes = headerAndBodyStart(path, header.bodyOffset);
    if (bytes.size() < header.bodyOffset) return false;
    shrinkCounts(bytes, header.bodyOffset);
    std::istringstream stream(bytes);
    pcl::PCLPointCloud2 blob;
    Eigen::Vector4f origin;
    Eigen::Quaternionf orientation;
    int version = 0;
    int dataType = -1;
    unsigned int dataIndex = 0;
    if (pcl::PCDReader().readHeader(stream, blob, origin, orientation, version, dataType, dataIndex) != 0) return false;
    const int expectedType = header.data == PcdHeader::Data::Ascii ? 0 : header.data == PcdHeader::Data::Binary ? 1 : 2;
    if (dataType != expectedType || dataIndex != header.bodyOffset || blob.width != 1 || blob.height != 1 ||
        blob.point_step != header.pointBytes || blob.fields.size() != header.fields.size())
        return false;
    uint64_t offset = 0;
    for (size_t i = 0; i < header.fields.size(); ++i) {
        const PcdField& ours = header.fields[i];
        const pcl::PCLPointField& theirs = blob.fields[i];
        if (theirs.name != ours.name || theirs.count != ours.count || theirs.offset != offset ||
            theirs.datatype != pcl::getFieldType(static_cast<int>(ours.size), ours.type))
            return false;
        offset += static_cast<uint64_t>(ours.size) * ours.count;
    }
    return true;
}

namespace {

namespace ply = pcl::io::ply;

// Our spelling of PLY's types: the name the parser knows a type by, and its
// bytes (PCL reads a list's length as unsigned whatever the header says, so
// lengths are compared by size alone).
template <class T>
struct ScalarName;
template <> struct ScalarName<ply::int8> { static constexpr const char* name = "int8"; };
template <> struct ScalarName<ply::int16> { static constexpr const char* name = "int16"; };
template <> struct ScalarName<ply::int32> { static constexpr const char* name = "int32"; };
template <> struct ScalarName<ply::uint8> { static constexpr const char* name = "uint8"; };
template <> struct ScalarName<ply::uint16> { static constexpr const char* name = "uint16"; };
template <> struct ScalarName<ply::uint32> { static constexpr const char* name = "uint32"; };
template <> struct ScalarName<ply::float32> { static constexpr const char* name = "float32"; };
template <> struct ScalarName<ply::float64> { static constexpr const char* name = "float64"; };

std::string canonicalType(const std::string& type) {
    static const char* const aliases[][2] = {{"char", "int8"},    {"uchar", "uint8"}, {"short", "int16"},
                                             {"ushort", "uint16"}, {"int", "int32"},   {"uint", "uint32"},
                                             {"float", "float32"}, {"double", "float64"}};
    for (const auto& alias : aliases)
        if (type == alias[0]) return alias[1];
    return type;
}

// What the parser reported, in the check's terms.
struct ParsedHeader {
    bool failed = false;
    bool ended = false;
    int format = -1;
    std::vector<PlyElement> elements;
};

template <class T>
void recordScalars(ply::ply_parser::scalar_property_definition_callbacks_type& callbacks, ParsedHeader& parsed) {
    ply::ply_parser::at<T>(callbacks) = [&parsed](const std::string&, const std::string& property) {
        if (!parsed.elements.empty()) parsed.elements.back().properties.push_back({property, ScalarName<T>::name, ""});
        return typename ply::ply_parser::scalar_property_callback_type<T>::type([](T) {});
    };
}

template <class Size, class T>
void recordList(ply::ply_parser::list_property_definition_callbacks_type& callbacks, ParsedHeader& parsed) {
    using Parser = ply::ply_parser;
    Parser::at<Size, T>(callbacks) = [&parsed](const std::string&, const std::string& property) {
        if (!parsed.elements.empty())
            parsed.elements.back().properties.push_back({property, ScalarName<T>::name, ScalarName<Size>::name});
        return std::make_tuple(typename Parser::list_property_begin_callback_type<Size, T>::type([](Size) {}),
                               typename Parser::list_property_element_callback_type<Size, T>::type([](T) {}),
                               typename Parser::list_property_end_callback_type<Size, T>::type([]() {}));
    };
}

template <class Size>
void recordLists(ply::ply_parser::list_property_definition_callbacks_type& callbacks, ParsedHeader& parsed) {
    recordList<Size, ply::int8>(callbacks, parsed);
    recordList<Size, ply::int16>(callbacks, parsed);
    recordList<Size, ply::int32>(callbacks, parsed);
    recordList<Size, ply::uint8>(callbacks, parsed);
    recordList<Size, ply::uint16>(callbacks, parsed);
    recordList<Size, ply::uint32>(callbacks, parsed);
    recordList<Size, ply::float32>(callbacks, parsed);
    recordList<Size, ply::float64>(callbacks, parsed);
}

ParsedHeader parsePlyHeader(const std::string& path) {
    ParsedHeader parsed;
    ply::ply_parser parser;
    parser.error_callback([&parsed](std::size_t, const std::string&) { parsed.failed = true; });
    parser.format_callback(
        [&parsed](ply::format_type format, const std::string&) { parsed.format = static_cast<int>(format); });
    parser.element_definition_callback([&parsed](const std::string& name, std::size_t count) {
        parsed.elements.push_back({name, static_cast<uint64_t>(count), {}});
        return std::make_tuple(ply::ply_parser::begin_element_callback_type([]() {}),
                               ply::ply_parser::end_element_callback_type([]() {}));
    });
    ply::ply_parser::scalar_property_definition_callbacks_type scalars;
    recordScalars<ply::int8>(scalars, parsed);
    recordScalars<ply::int16>(scalars, parsed);
    recordScalars<ply::int32>(scalars, parsed);
    recordScalars<ply::uint8>(scalars, parsed);
    recordScalars<ply::uint16>(scalars, parsed);
    recordScalars<ply::uint32>(scalars, parsed);
    recordScalars<ply::float32>(scalars, parsed);
    recordScalars<ply::float64>(scalars, parsed);
    parser.scalar_property_definition_callbacks(scalars);
    ply::ply_parser::list_property_definition_callbacks_type lists;
    recordLists<ply::uint8>(lists, parsed);
    recordLists<ply::uint16>(lists, parsed);
    recordLists<ply::uint32>(lists, parsed);
    parser.list_property_definition_callbacks(lists);
    // Returning false stops the parser at the end of the header.
    parser.end_header_callback([&parsed]() {
        parsed.ended = true;
        return false;
    });
    if (!parser.parse(path)) parsed.failed = true;
    return parsed;
}

int formatCode(PlyHeader::Format format) {
    switch (format) {
        case PlyHeader::Format::Ascii: return static_cast<int>(ply::ascii_format);
        case PlyHeader::Format::BinaryLittleEndian: return static_cast<int>(ply::binary_little_endian_format);
        case PlyHeader::Format::BinaryBigEndian: return static_cast<int>(ply::binary_big_endian_format);
    }
    return -1;
}

bool sameProperty(const PlyProperty& ours, const PlyProperty& theirs) {
    if (ours.name != theirs.name || canonicalType(ours.type) != theirs.type) return false;
    if (ours.listSizeType.empty() || theirs.listSizeType.empty())
        return ours.listSizeType.empty() && theirs.listSizeType.empty();
    return plyTypeBytes(ours.listSizeType) == plyTypeBytes(theirs.listSizeType);
}

}  // namespace

bool pclReadsPlyHeaderAlike(const std::string& path, const PlyHeader& header) {
    const ParsedHeader parsed = parsePlyHeader(path);
    if (parsed.failed || !parsed.ended || parsed.format != formatCode(header.format) ||
        parsed.elements.size() != header.elements.size())
        return false;
    for (size_t e = 0; e < header.elements.size(); ++e) {
        const PlyElement& ours = header.elements[e];
        const PlyElement& theirs = parsed.elements[e];
        if (ours.name != theirs.name || ours.count != theirs.count ||
            ours.properties.size() != theirs.properties.size())
            return false;
        for (size_t p = 0; p < ours.properties.size(); ++p)
            if (!sameProperty(ours.properties[p], theirs.properties[p])) return false;
    }
    return true;
}

}  // namespace kx::common
