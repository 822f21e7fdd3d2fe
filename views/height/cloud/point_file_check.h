#pragma once
// Checks of PCD and PLY files made before PCL reads them. PCL's readers trust
// their headers: inconsistent field lists, malformed property lines or counts
// larger than the file can hold make them crash or allocate without bound.
// These checks accept what well-formed files say and nothing else.
#include <string>

namespace kx::common {

// A PCD header of known keywords, consistent field lists, WIDTH x HEIGHT =
// POINTS, and a body long enough for that many points.
bool pcdFileIsSound(const std::string& path);

// A PLY header of "ply", a format line, comments, elements with scalar or
// list properties of known types and "end_header", with one vertex element
// and a body long enough for every element.
bool plyFileIsSound(const std::string& path);

}  // namespace kx::common
