#include "core/settings/IniDocument.h"

#include "core/vault/CodePage.h"

#include <algorithm>

namespace velmora {
namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::string FoldNameCase(std::string_view name)
{
    std::string folded(name);
    FoldNameCaseInPlace(folded);
    return folded;
}

void FoldNameCaseInPlace(std::string& text)
{
    std::transform(text.begin(), text.end(), text.begin(), LowerCase);
}

IniDocument IniDocument::Parse(std::string_view text)
{
    IniDocument document;
    Section* current = nullptr; // null before the first section and inside a duplicate one
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);

        line = Trim(line);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::string_view name = Trim(line.substr(1, line.size() - 2));
            std::string folded = FoldNameCase(name);
            if (document.m_index.contains(folded)) {
                current = nullptr;
            } else {
                document.m_index.emplace(std::move(folded), document.m_sections.size());
                document.m_sections.push_back(Section{std::string(name), {}, {}});
                current = &document.m_sections.back();
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view name = Trim(line.substr(0, equals));
        if (current->index.try_emplace(FoldNameCase(name), current->entries.size()).second) {
            current->entries.push_back(Entry{std::string(name), std::string(Trim(line.substr(equals + 1)))});
        }
    }
    return document;
}

const IniDocument::Section* IniDocument::FindSection(std::string_view section) const
{
    const auto found = m_index.find(FoldNameCase(section));
    return found == m_index.end() ? nullptr : &m_sections[found->second];
}

bool IniDocument::HasSection(std::string_view section) const
{
    return FindSection(section) != nullptr;
}

std::optional<std::string_view> IniDocument::Find(std::string_view section, std::string_view name) const
{
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return std::nullopt;
    }
    const auto entry = found->index.find(FoldNameCase(name));
    if (entry == found->index.end()) {
        return std::nullopt;
    }
    return std::string_view(found->entries[entry->second].value);
}

std::vector<std::string> IniDocument::EntryNames(std::string_view section) const
{
    std::vector<std::string> names;
    if (const Section* found = FindSection(section)) {
        for (const Entry& entry : found->entries) {
            names.push_back(entry.name);
        }
    }
    return names;
}

std::string IniDocument::ReadString(std::string_view section, std::string_view name) const
{
    return std::string(Find(section, name).value_or(std::string_view()));
}

IniDocument::Section& IniDocument::SectionFor(std::string_view section)
{
    const auto [position, added] = m_index.try_emplace(FoldNameCase(section), m_sections.size());
    if (added) {
        m_sections.push_back(Section{std::string(section), {}, {}});
    }
    return m_sections[position->second];
}

void IniDocument::WriteString(std::string_view section, std::string_view name, std::string_view value)
{
    Section& target = SectionFor(section);
    const auto [position, added] = target.index.try_emplace(FoldNameCase(name), target.entries.size());
    if (added) {
        target.entries.push_back(Entry{std::string(name), std::string(value)});
    } else {
        target.entries[position->second].value = value;
    }
}

std::string IniDocument::Text() const
{
    std::string text;
    for (const Section& section : m_sections) {
        text += '[';
        text += section.name;
        text += "]\r\n";
        for (const Entry& entry : section.entries) {
            text += entry.name;
            text += '=';
            text += entry.value;
            text += "\r\n";
        }
    }
    return text;
}

} // namespace velmora
