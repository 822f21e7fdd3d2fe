#pragma once

namespace mirevo {

// The windows name Windows fonts ("Microsoft YaHei", "微软雅黑"); here they
// resolve to Noto Sans CJK, which has the Chinese glyphs.
void installFontSubstitutions();

}  // namespace mirevo
