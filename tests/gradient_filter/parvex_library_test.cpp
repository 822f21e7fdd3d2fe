#include <dlfcn.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/gradient_filter/run_filter.h"

namespace parvex_test {
namespace {

struct LibraryCloser {
  void operator()(void* handle) const { dlclose(handle); }
};
using LibraryHandle = std::unique_ptr<void, LibraryCloser>;

TEST(ParvexLibrary, LoadsAndFiltersLikeTheLinkedFunction) {
  const LibraryHandle library(dlopen(PARVEX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL));
  ASSERT_NE(library, nullptr) << dlerror();
  const auto loaded = reinterpret_cast<ParvexFunction>(dlsym(library.get(), "Parvex"));
  ASSERT_NE(loaded, nullptr) << dlerror();

  const TestImage scene = syntheticScene(80, 70, 11);
  const FilterCall call{-100000, -1000, 9, kInvalid, true, 6, true, 3, 2};
  const TestImage viaLibrary = runFilter(scene, call, loaded);
  const TestImage linked = runFilter(scene, call);
  EXPECT_EQ(viaLibrary.heights, linked.heights);
  EXPECT_EQ(viaLibrary.gray, linked.gray);
  EXPECT_NE(viaLibrary.heights, scene.heights);
}

// Lines of `nm -D --defined-only` name the symbols a library exports.
std::vector<std::string> exportedSymbols(const std::string& library) {
  const std::string command = std::string(PARVEX_NM_PATH) + " -D --defined-only " + library;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
  std::vector<std::string> names;
  if (!pipe) return names;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::size_t space = text.rfind(' ');
    names.push_back(space == std::string::npos ? text : text.substr(space + 1));
  }
  return names;
}

TEST(ParvexLibrary, ExportsNothingButParvex) {
  EXPECT_EQ(exportedSymbols(PARVEX_LIBRARY_PATH), std::vector<std::string>{"Parvex"});
}

}  // namespace
}  // namespace parvex_test
