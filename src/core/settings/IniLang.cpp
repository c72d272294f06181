#include "core/settings/IniLang.h"

#include "core/os/AtomicFile.h"
#include "core/os/FileExists.h"
#include "core/settings/ShippedEnglish.h"
#include "core/vault/CodePage.h"

#include <system_error>

namespace velmora {
namespace {

constexpr std::string_view kLineMarker = "*|*";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::filesystem::path LanguageFilePath(const std::filesystem::path& programDir, const std::filesystem::path& path)
{
    return path.empty() ? programDir / kDefaultLanguageFileName : path;
}

// A message value decoded: its "*|*" markers become CR LF, "_" a blank. Empty leading pieces
// vanish; the last piece always gets its break.
std::string DecodeMiscText(std::string_view value)
{
    if (value.find(kLineMarker) == std::string_view::npos) {
        return DecodeLangText(value);
    }
    std::string result;
    std::size_t marker;
    while ((marker = value.find(kLineMarker)) != std::string_view::npos) {
        const std::string_view piece = value.substr(0, marker);
        value.remove_prefix(marker + kLineMarker.size());
        if (result.empty()) {
            result = piece;
        } else {
            result += "\r\n";
            result += piece;
        }
    }
    result += "\r\n";
    result += value;
    return DecodeLangText(result);
}

} // namespace

std::string DecodeLangText(std::string_view text)
{
    // One pass, so that a value full of markers costs linear time.
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i, kLineMarker.size()) == kLineMarker) {
            decoded += '\r';
            i += kLineMarker.size();
        } else {
            decoded += text[i] == '_' ? ' ' : text[i];
            ++i;
        }
    }
    return decoded;
}

std::string LanguageFileBytesToCodePage(std::string_view bytes)
{
    if (!bytes.starts_with(kUtf8ByteOrderMark)) {
        return std::string(bytes);
    }
    bytes.remove_prefix(kUtf8ByteOrderMark.size());
    std::string converted;
    converted.reserve(bytes.size());
    std::size_t position = 0;
    while (position < bytes.size()) {
        const std::optional<char32_t> character = DecodeUtf8Character(bytes, position);
        const std::optional<unsigned char> byte = character ? UnicodeToCodePage(*character) : std::nullopt;
        converted += byte ? static_cast<char>(*byte) : '?';
    }
    return converted;
}

IniDocument OpenLanguageFile(const std::filesystem::path& programDir, const std::filesystem::path& path)
{
    const std::filesystem::path file = LanguageFilePath(programDir, path);
    if (!FileExists(file)) {
        return IniDocument();
    }
    return IniDocument::Parse(LanguageFileBytesToCodePage(ReadWholeFile(file, kMaxLanguageFileBytes)));
}

IniDocument OpenChosenLanguageFile(const std::filesystem::path& programDir, const std::filesystem::path& path)
{
    if (!path.empty() && !FileExists(path)) {
        return OpenLanguageFile(programDir, {});
    }
    return OpenLanguageFile(programDir, path);
}

std::string FormatMessageText(std::string_view text, std::initializer_list<std::string_view> arguments)
{
    std::string result;
    result.reserve(text.size());
    auto next = arguments.begin();
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t marker = text.find("%s", position);
        if (marker == std::string_view::npos || next == arguments.end()) {
            break;
        }
        result.append(text.substr(position, marker - position));
        result.append(*next++);
        position = marker + 2;
    }
    result.append(text.substr(std::min(position, text.size())));
    return result;
}

std::string CountedMessageKey(std::string_view key, PluralForm form)
{
    std::string counted(key);
    counted += '_';
    counted += PluralFormName(form);
    return counted;
}

void IniLang::Open(const std::filesystem::path& programDir, const std::filesystem::path& chosen)
{
    IniDocument document = OpenChosenLanguageFile(programDir, chosen);
    IniDocument english;
    try {
        english = OpenLanguageFile(programDir, {});
    } catch (const FileError&) {
        // The built-in texts stand in for it.
    }
    m_langIni = std::move(document);
    m_english = std::move(english);
}

std::optional<std::string_view> IniLang::Find(std::string_view section, std::string_view entry) const
{
    for (const std::optional<IniDocument>* document : {&m_langIni, &m_english}) {
        if (*document) {
            const std::optional<std::string_view> value = (*document)->Find(section, entry);
            if (value && !value->empty()) {
                return value;
            }
        }
    }
    return std::nullopt;
}

std::string IniLang::ReadMiscText(std::string_view fallback, std::string_view entryName) const
{
    const std::optional<std::string_view> value = Find(kMiscSection, entryName);
    return value ? DecodeMiscText(*value) : std::string(fallback);
}

std::string IniLang::GetMessageText(std::string_view key) const
{
    std::string entry(key);
    entry += ":string";
    static const IniDocument builtIn = IniDocument::Parse(ShippedEnglishLanguageFile());
    return ReadMiscText(DecodeMiscText(builtIn.ReadString(kMiscSection, entry)), entry);
}

std::string IniLang::FormatMessage(std::string_view key, std::initializer_list<std::string_view> arguments) const
{
    return FormatMessageText(GetMessageText(key), arguments);
}

PluralRule IniLang::Plurals() const
{
    return PluralRuleNamed(m_langIni ? m_langIni->Find(kLanguageSection, kPluralRuleEntry).value_or("") : "");
}

std::string IniLang::FormatCount(std::string_view key, std::uint64_t count) const
{
    std::string text = GetMessageText(CountedMessageKey(key, PluralFormOf(Plurals(), count)));
    if (text.empty()) {
        text = GetMessageText(CountedMessageKey(key, PluralForm::Other));
    }
    return FormatMessageText(text, {std::to_string(count)});
}

std::string IniLang::ReadFormText(std::string_view form, std::string_view entry) const
{
    return DecodeLangText(Find(form, entry).value_or(std::string_view()));
}

} // namespace velmora
