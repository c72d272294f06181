#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace velmora::test {

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir
{
public:
    TempDir()
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() / ("velmora-test-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

} // namespace velmora::test
