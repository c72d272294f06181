#pragma once

#include <filesystem>
#include <string_view>

namespace velmora {

// The language choice file in the program directory: a plain INI file that remembers, for the
// whole installation, the chosen language file between runs.
inline constexpr std::string_view kLanguageChoiceFileName = "DefName.lng";
inline constexpr std::string_view kLanguageChoiceSection = "lan_sect";
inline constexpr std::string_view kLanguageChoiceEntry = "lan_file";

// The remembered language file (empty for the default one). `current` is the result when the
// file or the entry is missing or the file cannot be read: errors here are never reported.
std::filesystem::path ReadLanguageChoice(const std::filesystem::path& programDir, const std::filesystem::path& current);

// Remembers `languageFile` (empty for the default one), creating the file when missing and
// keeping its other entries. Errors are not reported to the user; false when nothing was
// written (also for a path with a line break, which one INI line cannot hold), and then the
// earlier choice stays.
bool WriteLanguageChoice(const std::filesystem::path& programDir, const std::filesystem::path& languageFile);

} // namespace velmora
