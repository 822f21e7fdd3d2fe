#include "settings_windows/core/sync_modes.h"

namespace sync_modes {

View view(int mode) {
    using V = Visibility;
    switch (mode) {
        case 1: return View{true, {V::Show, 1}, {V::Hide, 0}, {V::Show, 1}, false};
        case 2: return View{true, {V::Keep, 2}, {V::Show, 1}, {V::Hide, 1}, true};
        case 3: return View{true, {V::Show, 2}, {V::Keep, 2}, {V::Keep, -1}, std::nullopt};
        case 4: return View{true, {V::Show, 1}, {V::Keep, -1}, {V::Show, 1}, std::nullopt};
        case 5: return View{true, {V::Show, 1}, {V::Keep, -1}, {V::Show, 2}, std::nullopt};
        default: return View{false, {V::Hide, 0}, {V::Hide, 0}, {V::Hide, 0}, false};
    }
}

}  // namespace sync_modes
