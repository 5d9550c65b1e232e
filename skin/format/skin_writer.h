#pragma once
// Writes skins in the format of skin_format.h (generator and tests only).
#include <cstddef>
#include <string>

#include "format/skin_format.h"

namespace vorda::skin {

// The file for a skin, padded with a FILL chunk to fileSize bytes when that is
// larger than the skin needs (0: no padding). The font chunk is written only
// when skin.font.present.
std::string writeSkin(const SkinData& skin, std::size_t fileSize = 0);

// Bytes the skin needs without padding.
std::size_t minimumSkinSize(const SkinData& skin);

}  // namespace vorda::skin
