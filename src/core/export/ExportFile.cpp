#include "core/export/ExportFile.h"

#include "core/os/InPlaceWrite.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace velmora {
namespace {

bool Inside(const std::filesystem::path& directory, const std::filesystem::path& path)
{
    return std::mismatch(directory.begin(), directory.end(), path.begin(), path.end()).first == directory.end();
}

// Another name of a file in the directory: a hard link, or the target of a link kept there.
bool SameAsAnEntryOf(const std::filesystem::path& directory, const std::filesystem::path& path)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        std::error_code different;
        if (std::filesystem::equivalent(it->path(), path, different)) {
            return true;
        }
    }
    return false;
}

bool AmongAccountFiles(const std::filesystem::path& path, const std::filesystem::path& usersDirectory)
{
    std::error_code error;
    const std::filesystem::path users = std::filesystem::weakly_canonical(usersDirectory, error);
    if (error) {
        return false; // no accounts' directory to protect
    }
    // Made absolute first: a relative path whose directories do not exist yet would stay relative.
    std::filesystem::path target = std::filesystem::absolute(path, error);
    if (!error) {
        target = std::filesystem::weakly_canonical(target, error);
    }
    if (error) {
        ThrowFileError("Cannot resolve", path, error.message());
    }
    return Inside(users, target) || SameAsAnEntryOf(users, target);
}

} // namespace

void WriteExportFile(const std::filesystem::path& path, std::string_view content,
                     const std::filesystem::path& usersDirectory)
{
    WriteExportFile(
        path, [content](const auto& write) { write(content); }, usersDirectory);
}

void WriteExportFile(const std::filesystem::path& path, const OutputProducer& produce,
                     const std::filesystem::path& usersDirectory)
{
    if (AmongAccountFiles(path, usersDirectory)) {
        throw ExportRefused("\"" + PathText(path) + "\" is in the accounts' directory " + PathText(usersDirectory) +
                            " or is one of its files; an export is never written there.");
    }
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_directory(status)) {
        WriteInPlace(path, produce);
        return;
    }
    StagedFile(path, produce).Commit();
}

} // namespace velmora
