#include "core/settings/TSECURITYINI.h"

#include "core/vault/AccountFile.h"

#include <algorithm>
#include <openssl/crypto.h>

namespace velmora {

TSECURITYINI::TSECURITYINI(std::string_view sectionKey, std::string_view valueKey)
    : m_sectionKey(sectionKey), m_valueKey(valueKey)
{}

TSECURITYINI::~TSECURITYINI()
{
    OPENSSL_cleanse(m_sectionKey.data(), m_sectionKey.size());
    OPENSSL_cleanse(m_valueKey.data(), m_valueKey.size());
    m_cipher.Forget();
}

std::string TSECURITYINI::EncipherSettingText(std::string_view key, std::string_view text)
{
    std::string line = m_cipher.EncipherText(key, text);
    std::replace(line.begin(), line.end(), '=', '!');
    return line;
}

std::string TSECURITYINI::DecipherSettingText(std::string_view key, std::string_view text)
{
    std::string line(text);
    std::replace(line.begin(), line.end(), '!', '=');
    std::optional<std::string> value = m_cipher.DecipherText(key, line);
    if (!value) {
        throw SettingsReadError("A stored setting cannot be deciphered.");
    }
    return std::move(*value);
}

std::string TSECURITYINI::ReadString(std::string_view section, std::string_view name, std::string_view defaultValue)
{
    const std::optional<std::string_view> stored =
        m_document.Find(EncipherSettingText(m_sectionKey, section), EncipherSettingText(m_sectionKey, name));
    if (!stored) {
        return std::string(defaultValue);
    }
    return DecipherSettingText(m_sectionKey, DecipherSettingText(m_valueKey, *stored));
}

bool TSECURITYINI::HasSection(std::string_view section)
{
    return m_document.HasSection(EncipherSettingText(m_sectionKey, section));
}

bool TSECURITYINI::HasEntry(std::string_view section, std::string_view name)
{
    return m_document.Find(EncipherSettingText(m_sectionKey, section), EncipherSettingText(m_sectionKey, name))
        .has_value();
}

std::int32_t TSECURITYINI::ReadInteger(std::string_view section, std::string_view name, std::int32_t defaultValue)
{
    const std::string text = ReadString(section, name, {});
    return ParseFileInteger(text).value_or(defaultValue);
}

bool TSECURITYINI::ReadBool(std::string_view section, std::string_view name, bool defaultValue)
{
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
}

void TSECURITYINI::WriteString(std::string_view section, std::string_view name, std::string_view value)
{
    const std::string once = EncipherSettingText(m_sectionKey, value);
    m_document.WriteString(EncipherSettingText(m_sectionKey, section), EncipherSettingText(m_sectionKey, name),
                           EncipherSettingText(m_valueKey, once));
}

void TSECURITYINI::WriteInteger(std::string_view section, std::string_view name, std::int32_t value)
{
    WriteString(section, name, std::to_string(value));
}

void TSECURITYINI::WriteBool(std::string_view section, std::string_view name, bool value)
{
    WriteString(section, name, value ? "1" : "0");
}

} // namespace velmora
