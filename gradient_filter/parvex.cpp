#include "gradient_filter/parvex.h"

#include <exception>
#include <iostream>

#include "gradient_filter/height_filter.h"

extern "C" PARVEX_API void Parvex(const int32_t* src, int32_t* dst, void* /*reserved*/, uint8_t* gray,
                                  int width, int height, int lowThreshold, int highThreshold,
                                  int window, int invalidValue, bool connectedOn, int minArea,
                                  bool openOn, int openKernel, int repairMode) {
  if (src == nullptr) std::cout << "the src_tiff is NULL" << std::endl;
  if (dst == nullptr) std::cout << "the dst_tiff is NULL" << std::endl;
  if (src == nullptr || dst == nullptr) return;
  if (gray == nullptr) {
    std::cout << "the gray is NULL" << std::endl;
    return;
  }
  const parvex::FilterSettings settings{lowThreshold, highThreshold, window,     invalidValue, connectedOn,
                                        minArea,      openOn,        openKernel, repairMode};
  // Nothing may unwind into a C caller: an image too large for memory ends
  // the call with a diagnostic instead.
  try {
    parvex::filterHeightImage(src, dst, gray, width, height, settings);
  } catch (const std::exception& error) {
    std::cout << "Parvex failed: " << error.what() << std::endl;
  } catch (...) {
    std::cout << "Parvex failed" << std::endl;
  }
}
