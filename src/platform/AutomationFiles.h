#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace velmora {

// Where the built-in automation applications put the files they show. They hold passwords in
// the clear, so they live in a private directory (mode 0700, made at the first file, named
// after the process: velmora-export-<pid>-XXXXXX) as owner-only files (mode 0600), and the
// directory goes with everything in it when this object does, at the end of the program.
class AutomationFiles
{
public:
    // Opens a file with the desktop's default application; false when nothing could open it.
    using Opener = std::function<bool(const std::filesystem::path&)>;

    AutomationFiles(std::filesystem::path parent, Opener open);
    ~AutomationFiles();
    AutomationFiles(const AutomationFiles&) = delete;
    AutomationFiles& operator=(const AutomationFiles&) = delete;

    // A new empty owner-only file named `stem` with the next number and `extension`
    // ("Book1.xlsx", "Book2.xlsx"). Throws AutomationError.
    std::filesystem::path NewFile(std::string_view stem, std::string_view extension);
    // Throws AutomationError when nothing could open the file.
    void Open(const std::filesystem::path& file) const;

    // Empty until the first file.
    const std::filesystem::path& Directory() const { return m_directory; }

private:
    std::filesystem::path m_parent;
    Opener m_open;
    std::filesystem::path m_directory;
    int m_count = 0;
};

// Removes the private directories in `parent` that runs of this user left behind when they
// ended without their normal way out (a crash, a kill): those whose process is gone. Links and
// other users' directories of that name are left alone.
void RemoveAbandonedAutomationFiles(const std::filesystem::path& parent);

} // namespace velmora
