#pragma once

#include <filesystem>

namespace velmora {

// The directory of the running program's executable; `argv0` (the name it was started by) is
// the fallback where the system cannot tell.
std::filesystem::path ExecutableDirectory(const char* argv0);

} // namespace velmora
