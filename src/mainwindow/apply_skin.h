#pragma once
// Skin setup: makes sure the skin engine library lies in the program's
// directory and hands it one of the program's skins. Window creation reaches
// it through applySkin (skin_hook.h) once installSkinSetup has run.
#include <string>
#include <string_view>

#include "ui/ui.h"

namespace vorda::mainwindow {

inline constexpr int kSkinCount = 33;
inline constexpr const char* kSkinEngineFile = "SkinH_EL.dll";
inline constexpr const char* kSkinEngineEntry = "SkinH_AttachRes";

// The data the program carries for the engine, opaque to it.
class SkinPack {
  public:
    virtual ~SkinPack() = default;
    // The engine library's file, byte for byte.
    virtual std::string_view engineLibrary() const = 0;
    // Skin 1..kSkinCount; empty for other numbers.
    virtual std::string_view skin(int number) const = 0;
};

// The engine library as the program calls it.
class SkinEngine {
  public:
    virtual ~SkinEngine() = default;
    // Loads the library at path (GBK), falling back to the system's search by
    // file name; true when it is loaded and has its entry.
    virtual bool load(const std::string& path) = 0;
    // Calls the entry; only after a successful load.
    virtual int attach(const void* skin, int size, const char* text, int a, int b, int c) = 0;
};

// runDirectory + "\SkinH_EL.dll".
std::string skinEnginePath();

class SkinSetup {
  public:
    SkinSetup(const SkinPack& pack, SkinEngine& engine, ui::Backend& backend)
        : pack_(pack), engine_(engine), backend_(backend) {}

    // Writes the library out (hidden) when no file of its name exists, loads it
    // on the first call, and attaches a private copy of skin n (none for n
    // outside 1..kSkinCount). A library that cannot be loaded ends the
    // program after a message.
    void apply(int n);

  private:
    const SkinPack& pack_;
    SkinEngine& engine_;
    ui::Backend& backend_;
    bool loaded_ = false;
};

// Makes applySkin run setup.apply; setup must outlive its use. nullptr
// uninstalls it.
void installSkinSetup(SkinSetup* setup);

}  // namespace vorda::mainwindow
