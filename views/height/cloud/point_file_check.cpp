#include "views/height/cloud/point_file_check.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace kx::common {
namespace {

constexpr size_t kMaxHeaderLine = 4096;
constexpr size_t kMaxHeaderLines = 1024;
constexpr uint64_t kMaxFields = 256;
constexpr uint64_t kMaxFieldCount = 65536;

// Header lines up to and including the one that starts with `last`; their
// total length (line ends included) is the body's offset. False when a line is
// too long, holds a byte that is not printable text, or `last` never comes.
bool headerLines(std::ifstream& in, const char* last, std::vector<std::string>& lines, uint64_t& bodyOffset) {
    bodyOffset = 0;
    std::string line;
    while (lines.size() < kMaxHeaderLines && std::getline(in, line)) {
        bodyOffset += line.size() + 1;
        if (line.size() > kMaxHeaderLine) return false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (const char ch : line)
            if (!std::isprint(static_cast<unsigned char>(ch)) && ch != '\t') return false;
        lines.push_back(line);
        if (line.rfind(last, 0) == 0) return true;
    }
    return false;
}

std::vector<std::string> tokens(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> result;
    for (std::string word; in >> word;) result.push_back(word);
    return result;
}

bool count(const std::string& text, uint64_t& value) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && value <= UINT32_MAX;
}

bool name(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_'; });
}

uint64_t fileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<uint64_t>(size);
}

// An ASCII body holds at least one character and one separator per value.
bool asciiBodyHolds(uint64_t bodyBytes, uint64_t items, uint64_t valuesPerItem) {
    if (items == 0 || valuesPerItem == 0) return true;
    const uint64_t needed = items * valuesPerItem * 2;
    return needed / 2 / valuesPerItem == items && bodyBytes + 1 >= needed;
}

// PCL's header reader does not stop at DATA: it goes on reading lines and
// takes every one that starts with a keyword as header, until a line that
// does not. A body whose first lines read as keywords (or that consists of
// nothing but blank and comment lines) would be laid out by the wrong header.
bool bodyStartsPlainly(std::ifstream& in, uint64_t bodyOffset) {
    static const char* const keywords[] = {"VERSION", "FIELDS", "COLUMNS", "SIZE",   "TYPE", "COUNT",
                                           "WIDTH",   "HEIGHT", "VIEWPOINT", "POINTS", "DATA"};
    std::string start(64 * 1024, '\0');
    in.clear();
    in.seekg(static_cast<std::streamoff>(bodyOffset));
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<size_t>(in.gcount()));
    size_t at = 0;
    while (at < start.size()) {
        size_t end = start.find('\n', at);
        const bool last = end == std::string::npos;
        if (last) end = start.size();
        size_t first = at;
        while (first < end && std::isspace(static_cast<unsigned char>(start[first]))) ++first;
        const size_t tokenEnd = start.find_first_of("\t\r ", first);
        const std::string token = start.substr(first, std::min(tokenEnd, end) - first);
        if (!token.empty() && token[0] != '#') {
            for (const char* keyword : keywords)
                if (token.rfind(keyword, 0) == 0) return false;
            return true;
        }
        if (last) return start.size() < 64 * 1024;  // only blank or comment lines up to the end
        at = end + 1;
    }
    return true;  // an empty body
}

}  // namespace

bool pcdFileIsSound(const std::string& path, PcdHeader& header) {
    header = PcdHeader();
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    uint64_t bodyOffset = 0;
    if (!in || !headerLines(in, "DATA", lines, bodyOffset)) return false;

    std::map<std::string, std::vector<std::string>> entries;
    for (const std::string& line : lines) {
        std::vector<std::string> words = tokens(line);
        if (words.empty() || words[0][0] == '#') continue;
        static const std::set<std::string> known = {"VERSION", "FIELDS", "SIZE",   "TYPE",  "COUNT",
                                                    "WIDTH",   "HEIGHT", "VIEWPOINT", "POINTS", "DATA"};
        const std::string keyword = words[0];
        if (!known.count(keyword) || entries.count(keyword)) return false;
        words.erase(words.begin());
        entries[keyword] = words;
    }
    for (const char* required : {"FIELDS", "SIZE", "TYPE", "WIDTH", "HEIGHT", "POINTS", "DATA"})
        if (!entries.count(required)) return false;

    const std::vector<std::string>& fields = entries["FIELDS"];
    const std::vector<std::string>& sizes = entries["SIZE"];
    const std::vector<std::string>& types = entries["TYPE"];
    std::vector<std::string> counts = entries.count("COUNT") ? entries["COUNT"] : std::vector<std::string>(fields.size(), "1");
    if (fields.empty() || fields.size() > kMaxFields || sizes.size() != fields.size() ||
        types.size() != fields.size() || counts.size() != fields.size())
        return false;
    std::set<std::string> names;
    uint64_t pointBytes = 0;
    uint64_t values = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        uint64_t size = 0;
        uint64_t repeat = 0;
        if (!(name(fields[i]) && names.insert(fields[i]).second) || !count(sizes[i], size) ||
            !count(counts[i], repeat) || repeat == 0 || repeat > kMaxFieldCount)
            return false;
        const std::string& type = types[i];
        const bool integer = (type == "I" || type == "U") && (size == 1 || size == 2 || size == 4 || size == 8);
        const bool floating = type == "F" && (size == 4 || size == 8);
        if (!integer && !floating) return false;
        pointBytes += size * repeat;
        values += repeat;
        header.fields.push_back({fields[i], type[0], static_cast<uint32_t>(size), static_cast<uint32_t>(repeat)});
    }

    uint64_t width = 0;
    uint64_t height = 0;
    uint64_t points = 0;
    if (entries["WIDTH"].size() != 1 || entries["HEIGHT"].size() != 1 || entries["POINTS"].size() != 1 ||
        !count(entries["WIDTH"][0], width) || !count(entries["HEIGHT"][0], height) ||
        !count(entries["POINTS"][0], points) || width * height != points)
        return false;
    if (entries.count("VIEWPOINT") && entries["VIEWPOINT"].size() != 7) return false;
    header.width = static_cast<uint32_t>(width);
    header.height = static_cast<uint32_t>(height);
    header.pointBytes = pointBytes;
    header.bodyOffset = bodyOffset;

    const uint64_t total = fileSize(path);
    if (total < bodyOffset) return false;
    const uint64_t body = total - bodyOffset;
    const std::vector<std::string>& data = entries["DATA"];
    if (data.size() != 1 || !bodyStartsPlainly(in, bodyOffset)) return false;
    if (data[0] == "ascii") {
        header.data = PcdHeader::Data::Ascii;
        return asciiBodyHolds(body, points, values);
    }
    if (data[0] == "binary") {
        header.data = PcdHeader::Data::Binary;
        return body >= points * pointBytes;
    }
    if (data[0] == "binary_compressed") {
        header.data = PcdHeader::Data::Compressed;
        // Two little-endian sizes, then the compressed fields.
        uint32_t sizesOfBody[2] = {0, 0};
        in.clear();
        in.seekg(static_cast<std::streamoff>(bodyOffset));
        if (!in.read(reinterpret_cast<char*>(sizesOfBody), sizeof sizesOfBody)) return false;
        // LZF turns at most 3 bytes into 264: a larger announced size is a lie
        // that PCL would allocate before finding out.
        return sizesOfBody[1] == points * pointBytes && body - sizeof sizesOfBody >= sizesOfBody[0] &&
               static_cast<uint64_t>(sizesOfBody[1]) <= 88 * static_cast<uint64_t>(sizesOfBody[0]) + 1024;
    }
    return false;
}

uint64_t plyTypeBytes(const std::string& type) {
    static const std::map<std::string, uint64_t> bytes = {
        {"char", 1},   {"uchar", 1},   {"int8", 1},   {"uint8", 1},   {"short", 2},  {"ushort", 2},
        {"int16", 2},  {"uint16", 2},  {"int", 4},    {"uint", 4},    {"int32", 4},  {"uint32", 4},
        {"float", 4},  {"float32", 4}, {"double", 8}, {"float64", 8}};
    const auto found = bytes.find(type);
    return found == bytes.end() ? 0 : found->second;
}

namespace {

bool plyIntegerType(const std::string& type) {
    return plyTypeBytes(type) > 0 && type.find("float") == std::string::npos && type != "double";
}

// What the body must hold for one element.
struct ElementSize {
    uint64_t minimumBytes = 0;  // lists count as their length field alone
    uint64_t minimumValues = 0;
};

bool isByte(const std::string& type) { return type == "uchar" || type == "uint8"; }

// PCL packs red, green, blue (and alpha) of a vertex into one field and
// indexes past its points when they come in another order, partly or with
// another type; vertex lists it does not expect either.
bool vertexPropertiesPclCanLayOut(const PlyElement& vertex) {
    static const char* const colour[] = {"red", "green", "blue", "alpha"};
    const auto& scalars = vertex.properties;
    size_t first = scalars.size();
    for (size_t i = 0; i < scalars.size(); ++i) {
        if (!scalars[i].listSizeType.empty()) return false;
        const std::string& name = scalars[i].name;
        if (name.rfind("diffuse_", 0) == 0) return false;
        if (first == scalars.size() && (name == "red" || name == "green" || name == "blue" || name == "alpha"))
            first = i;
    }
    if (first == scalars.size()) return true;
    size_t k = 0;
    while (k < 4 && first + k < scalars.size() && scalars[first + k].name == colour[k]) {
        if (!isByte(scalars[first + k].type)) return false;
        ++k;
    }
    if (k < 3) return false;
    for (size_t i = first + k; i < scalars.size(); ++i)
        for (const char* name : colour)
            if (scalars[i].name == name) return false;
    return true;
}

}  // namespace

bool plyFileIsSound(const std::string& path, PlyHeader& header) {
    header = PlyHeader();
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    uint64_t bodyOffset = 0;
    if (!in || !headerLines(in, "end_header", lines, bodyOffset)) return false;
    if (lines.size() < 3 || lines.front() != "ply" || lines.back() != "end_header") return false;
    header.bodyOffset = bodyOffset;

    const std::vector<std::string> format = tokens(lines[1]);
    if (format.size() != 3 || format[0] != "format" || format[2] != "1.0") return false;
    const bool ascii = format[1] == "ascii";
    if (format[1] == "ascii")
        header.format = PlyHeader::Format::Ascii;
    else if (format[1] == "binary_little_endian")
        header.format = PlyHeader::Format::BinaryLittleEndian;
    else if (format[1] == "binary_big_endian")
        header.format = PlyHeader::Format::BinaryBigEndian;
    else
        return false;

    std::vector<PlyElement>& elements = header.elements;
    std::vector<ElementSize> sizes;
    std::set<std::string> elementNames;
    std::set<std::string> propertyNames;
    for (size_t i = 2; i + 1 < lines.size(); ++i) {
        const std::vector<std::string> words = tokens(lines[i]);
        if (words.empty()) return false;
        if (words[0] == "comment" || words[0] == "obj_info") continue;
        if (words[0] == "element") {
            PlyElement element;
            // A range grid re-orders the vertices by indices PCL does not check.
            if (words.size() != 3 || !name(words[1]) || words[1] == "range_grid" ||
                !elementNames.insert(words[1]).second || !count(words[2], element.count))
                return false;
            element.name = words[1];
            elements.push_back(element);
            sizes.emplace_back();
            propertyNames.clear();
        } else if (words[0] == "property") {
            if (elements.empty()) return false;
            PlyElement& element = elements.back();
            ElementSize& size = sizes.back();
            if (words.size() == 3 && plyTypeBytes(words[1]) > 0 && name(words[2])) {
                size.minimumBytes += plyTypeBytes(words[1]);
                element.properties.push_back({words[2], words[1], ""});
            } else if (words.size() == 5 && words[1] == "list" && plyIntegerType(words[2]) &&
                       plyTypeBytes(words[3]) > 0 && name(words[4])) {
                size.minimumBytes += plyTypeBytes(words[2]);
                element.properties.push_back({words[4], words[3], words[2]});
            } else {
                return false;
            }
            if (!propertyNames.insert(words.back()).second) return false;
            size.minimumValues += 1;
        } else {
            return false;
        }
    }
    const auto isVertex = [](const PlyElement& e) { return e.name == "vertex"; };
    if (std::count_if(elements.begin(), elements.end(), isVertex) != 1 ||
        !vertexPropertiesPclCanLayOut(*std::find_if(elements.begin(), elements.end(), isVertex)))
        return false;

    const uint64_t total = fileSize(path);
    if (total < bodyOffset) return false;
    const uint64_t body = total - bodyOffset;
    uint64_t needed = 0;
    for (size_t e = 0; e < elements.size(); ++e) {
        const uint64_t items = elements[e].count;
        if (ascii) {
            if (!asciiBodyHolds(body, items, sizes[e].minimumValues)) return false;
            continue;
        }
        const uint64_t bytes = items * sizes[e].minimumBytes;
        if (sizes[e].minimumBytes > 0 && bytes / sizes[e].minimumBytes != items) return false;
        needed += bytes;
    }
    return ascii || body >= needed;
}

}  // namespace kx::common
