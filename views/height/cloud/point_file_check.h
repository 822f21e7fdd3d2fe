#pragma once
// Checks of PCD and PLY files made before their points are read. PCL's
// readers trust their headers: inconsistent field lists, malformed property
// lines or counts larger than the file can hold make them crash or allocate
// without bound. These checks accept what well-formed files say and nothing
// else, and give what they read. Internal to the library; free of PCL.
#include <cstdint>
#include <string>
#include <vector>

namespace kx::common {

struct PcdField {
    std::string name;
    char type = 'F';  // I, U or F
    uint32_t size = 4;
    uint32_t count = 1;
};

struct PcdHeader {
    enum class Data { Ascii, Binary, Compressed };
    std::vector<PcdField> fields;
    uint32_t width = 0;
    uint32_t height = 0;
    uint64_t pointBytes = 0;
    Data data = Data::Ascii;
    uint64_t bodyOffset = 0;  // where the points start in the file
};

// A PCD header of known keywords, consistent field lists, WIDTH x HEIGHT =
// POINTS, and a body long enough for that many points.
bool pcdFileIsSound(const std::string& path, PcdHeader& header);

struct PlyProperty {
    std::string name;
    std::string type;          // the scalar's type as written ("float", "uchar", ...)
    std::string listSizeType;  // empty for a scalar
};

struct PlyElement {
    std::string name;
    uint64_t count = 0;
    std::vector<PlyProperty> properties;
};

struct PlyHeader {
    enum class Format { Ascii, BinaryLittleEndian, BinaryBigEndian };
    Format format = Format::Ascii;
    std::vector<PlyElement> elements;
    uint64_t bodyOffset = 0;
};

// A PLY header of "ply", a format line, comments, elements with scalar or
// list properties of known types and "end_header", with one vertex element
// and a body long enough for every element.
bool plyFileIsSound(const std::string& path, PlyHeader& header);

// Bytes of a PLY scalar type; 0 for no such type.
uint64_t plyTypeBytes(const std::string& type);

// True when PCL's own reading of the header (PCL's PCD header reader, PCL's
// PLY parser stopped at the end of the header) gives what the check read: the
// same fields or elements and properties, sizes, data kind and body offset.
// PCL reads some headers otherwise than their text says (a line of blanks
// ends its PCD header), and would then read the data by another layout than
// the one checked.
bool pclReadsPcdHeaderAlike(const std::string& path, const PcdHeader& header);
bool pclReadsPlyHeaderAlike(const std::string& path, const PlyHeader& header);

}  // namespace kx::common
