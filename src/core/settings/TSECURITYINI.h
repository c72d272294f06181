#pragma once

#include "core/settings/IniDocument.h"
#include "core/vault/StringCipher.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora {

// A stored setting that cannot be deciphered; it ends the read that met it.
class SettingsReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// An INI file whose section names, entry names and values are all enciphered. Names are
// enciphered once under SectionKey and found again by enciphering them anew (the cipher is
// deterministic); values are enciphered under SectionKey and then under ValueKey. Base64
// padding "=" is stored as "!", since "=" separates name and value in an INI line.
class TSECURITYINI
{
public:
    TSECURITYINI(std::string_view sectionKey, std::string_view valueKey);
    ~TSECURITYINI();
    TSECURITYINI(const TSECURITYINI&) = delete;
    TSECURITYINI& operator=(const TSECURITYINI&) = delete;

    // Takes the file's INI text as the document to read from and write to.
    void Open(std::string_view iniText) { m_document = IniDocument::Parse(iniText); }

    // The INI text of the document, for writing to the file.
    std::string Text() const { return m_document.Text(); }
    // False when the text holds no such section under this key, as a file written under another
    // password does.
    bool HasSection(std::string_view section);
    // True when the section holds the entry, whether or not its value can be deciphered.
    bool HasEntry(std::string_view section, std::string_view name);

    // The stored value, or `defaultValue` when the entry is missing. Throws SettingsReadError
    // when the stored value cannot be deciphered.
    std::string ReadString(std::string_view section, std::string_view name, std::string_view defaultValue);

    // The stored value as a decimal integer; the default when missing or not an integer.
    std::int32_t ReadInteger(std::string_view section, std::string_view name, std::int32_t defaultValue);

    // True for any stored integer other than 0; the default when missing or not an integer.
    bool ReadBool(std::string_view section, std::string_view name, bool defaultValue);

    void WriteString(std::string_view section, std::string_view name, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view name, std::int32_t value);
    void WriteBool(std::string_view section, std::string_view name, bool value);

    // EncipherText under `key`, with every "=" of the Base64 text turned into "!".
    std::string EncipherSettingText(std::string_view key, std::string_view text);

    // Turns "!" back into "=" and deciphers under `key`. Throws SettingsReadError when the text
    // cannot be decoded (its length is no multiple of 4).
    std::string DecipherSettingText(std::string_view key, std::string_view text);

private:
    std::string m_sectionKey;
    std::string m_valueKey;
    StringCipher m_cipher; // our own, so the account's cached key is left alone
    IniDocument m_document;
};

} // namespace velmora
