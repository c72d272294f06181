#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// An INI text held in memory. Reading follows the rules the language and settings files share:
// lines are trimmed of blanks (and control characters), empty lines and lines starting with ";"
// are skipped, "[name]" opens a section, "name=value" inside a section is an entry (both sides
// trimmed, split at the first "="), lines before the first section and lines without "=" are
// ignored. Names match without regard to case (Latin and Cyrillic letters); the first section of
// a name and the first entry of a name within it win, later duplicates are dropped.
class IniDocument
{
public:
    static IniDocument Parse(std::string_view text);

    bool Empty() const { return m_sections.empty(); }
    bool HasSection(std::string_view section) const;

    // The entry's value, or nothing when the section or the entry is missing.
    std::optional<std::string_view> Find(std::string_view section, std::string_view name) const;

    // The names of the section's entries in their order, as written.
    std::vector<std::string> EntryNames(std::string_view section) const;

    // The entry's value; a missing entry reads as the empty text.
    std::string ReadString(std::string_view section, std::string_view name) const;

    // Sets the entry, adding the section and the entry at the end when they are missing.
    void WriteString(std::string_view section, std::string_view name, std::string_view value);

    // The document as INI text with CR LF line ends, sections and entries in their order.
    std::string Text() const;

private:
    struct Entry
    {
        std::string name;
        std::string value;
    };
    struct Section
    {
        std::string name;
        std::vector<Entry> entries;
        std::map<std::string, std::size_t, std::less<>> index; // folded name -> entry
    };

    const Section* FindSection(std::string_view section) const;
    Section& SectionFor(std::string_view section);

    std::vector<Section> m_sections;
    std::map<std::string, std::size_t, std::less<>> m_index; // folded name -> section
};

// Folds every letter of the code page to lower case, so names compare without case.
std::string FoldNameCase(std::string_view name);
// The same in place, for callers that fold many texts into one reused buffer.
void FoldNameCaseInPlace(std::string& text);

} // namespace velmora
