#pragma once
// The skin setup of the real program: the engine library and skins come from
// the exe's resources, the library is loaded with LoadLibraryW.
#include <memory>

#include "mainwindow/apply_skin.h"

namespace vorda::skinhost {

// The pack read from this exe's RCDATA resources (empty views when missing).
std::unique_ptr<mainwindow::SkinPack> resourceSkinPack();
// SkinH_EL.dll through LoadLibraryW and GetProcAddress.
std::unique_ptr<mainwindow::SkinEngine> win32SkinEngine();

// Installs the skin setup for the program's lifetime, so applySkin reaches the
// engine. Call once, before the first window is created.
void installWin32SkinSetup(ui::Backend& backend);

}  // namespace vorda::skinhost
