#include "skin/host/skin_setup_win32.h"

#include <windows.h>

#include "skin/host/skin_resources.h"
#include "text/gbk.h"

namespace vorda::skinhost {
namespace {

std::string_view resource(int id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const char*>(bytes), SizeofResource(nullptr, found)};
}

class ResourceSkinPack : public mainwindow::SkinPack {
  public:
    std::string_view engineLibrary() const override { return resource(VORDA_SKIN_ENGINE_RESOURCE); }
    std::string_view skin(int number) const override {
        if (number < 1 || number > mainwindow::kSkinCount) return {};
        return resource(VORDA_SKIN_RESOURCE_BASE + number);
    }
};

class Win32SkinEngine : public mainwindow::SkinEngine {
  public:
    bool load(const std::string& path) override {
        if (!entry_) {
            const std::u16string wide = text::utf16FromGbk(path);
            HMODULE library = LoadLibraryW(reinterpret_cast<const wchar_t*>(wide.c_str()));
            // Not in the program's directory: wherever the system finds it.
            if (!library) library = LoadLibraryW(L"SkinH_EL.dll");
            if (!library) return false;
            entry_ = reinterpret_cast<Entry>(
                reinterpret_cast<void*>(GetProcAddress(library, mainwindow::kSkinEngineEntry)));
        }
        return entry_ != nullptr;
    }

    int attach(const void* skin, int size, const char* text, int a, int b, int c) override {
        return entry_ ? entry_(skin, size, text, a, b, c) : 0;
    }

  private:
    using Entry = int(WINAPI*)(const void*, int, const char*, int, int, int);
    Entry entry_ = nullptr;
};

}  // namespace

std::unique_ptr<mainwindow::SkinPack> resourceSkinPack() {
    return std::make_unique<ResourceSkinPack>();
}

std::unique_ptr<mainwindow::SkinEngine> win32SkinEngine() {
    return std::make_unique<Win32SkinEngine>();
}

void installWin32SkinSetup(ui::Backend& backend) {
    static const std::unique_ptr<mainwindow::SkinPack> pack = resourceSkinPack();
    static const std::unique_ptr<mainwindow::SkinEngine> engine = win32SkinEngine();
    static mainwindow::SkinSetup setup(*pack, *engine, backend);
    mainwindow::installSkinSetup(&setup);
}

}  // namespace vorda::skinhost
