#include "core/os/FileExists.h"

#include "core/os/AtomicFile.h"

#include <system_error>

namespace velmora {

bool FileExists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

bool OtherThanRegularFileAt(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

bool RegularFileExists(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return false;
    }
    if (error) {
        ThrowFileError("Cannot reach the file", path, error.message());
    }
    if (!std::filesystem::is_regular_file(status)) {
        ThrowFileError("Cannot read the file", path, "it is not a regular file");
    }
    return true;
}

} // namespace velmora
