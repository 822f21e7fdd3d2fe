#pragma once

namespace mirevo {

// The windows name Windows fonts ("Microsoft YaHei", "Microsoft YaHei UI" of
// the Chinese style-sheet rule, "微软雅黑"); here they
// resolve to Noto Sans CJK, which has the Chinese glyphs. Once the
// application object exists, its font also becomes what the forms were laid
// out with on Windows, "Microsoft YaHei" at 9 points (Qt's own default here is
// another family and, offscreen, 12 points, which clips the forms' texts).
void installProgramFonts();

}  // namespace mirevo
