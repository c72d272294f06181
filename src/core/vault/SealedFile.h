#pragma once

#include "core/vault/SealedText.h"

#include <filesystem>

namespace velmora {

// Whether the file starts as a sealed file does. Throws FileError when it cannot be read.
bool IsSealedFile(const std::filesystem::path& file);

} // namespace velmora
