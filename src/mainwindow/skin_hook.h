#pragma once
// applySkin as the window creation sequences call it. The skin setup installs
// the real routine with setSkinHook; until then, and in tests that install
// nothing, applying a skin does nothing.
#include <functional>
#include <utility>

namespace vorda::mainwindow {

using SkinHook = std::function<void(int skin)>;

inline SkinHook& skinHook() {
    static SkinHook hook;
    return hook;
}

// An empty hook restores doing nothing.
inline void setSkinHook(SkinHook hook) { skinHook() = std::move(hook); }

inline void applySkin(int skin) {
    if (const SkinHook& hook = skinHook()) hook(skin);
}

}  // namespace vorda::mainwindow
