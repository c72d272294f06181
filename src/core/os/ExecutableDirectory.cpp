#include "core/os/ExecutableDirectory.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace velmora {
namespace {

std::filesystem::path ExecutableFile(std::error_code& error)
{
#ifdef _WIN32
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
            return {};
        }
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        name.resize(name.size() * 2);
    }
#else
    return std::filesystem::read_symlink("/proc/self/exe", error);
#endif
}

} // namespace

std::filesystem::path ExecutableDirectory(const char* argv0)
{
    std::error_code error;
    const std::filesystem::path executable = ExecutableFile(error);
    return (error ? std::filesystem::absolute(argv0) : executable).parent_path();
}

} // namespace velmora
