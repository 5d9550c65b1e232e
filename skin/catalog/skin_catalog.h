#pragma once
// The 33 skins the program carries, as designs; the generator writes them out.
#include <cstddef>

#include "format/skin_format.h"

namespace vorda::skin {

inline constexpr int kSkinCount = 33;

// Skin number (1..kSkinCount) as data.
SkinData skinDesign(int number);

// The size the skin's file is padded to.
std::size_t skinFileSize(int number);

}  // namespace vorda::skin
