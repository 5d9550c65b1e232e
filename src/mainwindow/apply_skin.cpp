#include "mainwindow/apply_skin.h"

#include <vector>

#include "mainwindow/skin_hook.h"
#include "platform/filesystem.h"
#include "storage/record_store.h"
#include "text/gbk.h"

namespace vorda::mainwindow {

std::string skinEnginePath() {
    return storage::runDirectory() + "\\" + kSkinEngineFile;
}

void SkinSetup::apply(int n) {
    const std::string path = skinEnginePath();
    platform::FileSystem& fs = platform::fileSystem();
    // A file of that name is the user's business, whatever it holds; a failed
    // write shows up as a failed load.
    if (!fs.exists(path)) {
        fs.writeAll(path, pack_.engineLibrary());
        fs.setAttributes(path, platform::kAttrHidden);
    }

    std::vector<unsigned char> copy;
    if (n >= 1 && n <= kSkinCount) {
        const std::string_view skin = pack_.skin(n);
        copy.assign(skin.begin(), skin.end());
    }

    if (!loaded_) {
        if (!engine_.load(path)) {
            backend_.messageBox(GBK("无法加载皮肤引擎 SkinH_EL.dll 或其入口 SkinH_AttachRes，程序将退出。"),
                                "Vorda", ui::kOkExclamation);
            backend_.quit();
            return;
        }
        loaded_ = true;
    }
    engine_.attach(copy.empty() ? nullptr : copy.data(), static_cast<int>(copy.size()), "", 0, 0, 0);
}

void installSkinSetup(SkinSetup* setup) {
    if (setup)
        setSkinHook([setup](int n) { setup->apply(n); });
    else
        setSkinHook({});
}

}  // namespace vorda::mainwindow
