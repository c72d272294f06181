#pragma once

#include "core/vault/SealedText.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace velmora {

// An account's settings as plain data. Members are named after the settings dialog's controls
// (`rbBrief` is the opposite of `rbFull`) or, for the font, colour and widths, after their keys
// in the settings file. The initial values are the dialog's design state.
struct AccountSettings
{
    // System colour numbers as stored: the window background and the window text colour.
    static constexpr std::int32_t kWindowColor = -16777211;
    static constexpr std::int32_t kWindowTextColor = -16777208;

    bool cbHeaders = true;
    bool cbGridLines = true;
    bool cbFoldIcons = true;
    bool cbRecIcons = true;
    bool rbFull = true;
    bool cbLoginStars = false;
    bool cbIDStars = false;
    bool cbPassStars = true;
    std::int32_t BgColor = kWindowColor;
    std::int32_t FontSize = 8;
    std::string FontName = "MS Sans Serif";
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;
    std::int32_t FontColor = kWindowTextColor;
    bool cbTray = true;
    bool cbSaveMod = false;
    bool cbSaveBeforeTray = true;
    bool cbExpHeaders = true;
    bool cbHat = true;
    bool cbSkipEmpty = true;
    bool cbFP = true;
    bool cbStrict = false;
    bool cbRegistr = false;
    std::int32_t L_Column1 = 170;
    std::int32_t R_Column1 = 140;
    std::int32_t R_Column2 = 125;
    std::int32_t R_Column3 = 107;
    std::int32_t R_Column4 = 120;
    std::int32_t L_Width = 210;

    bool rbBrief() const { return !rbFull; }

    bool operator==(const AccountSettings&) const = default;
};

// How a key is read back.
enum class SettingKind
{
    Bool,
    Integer,
    FontName, // an empty stored name leaves the face as it is
    Width     // a list width; below -2 it is an error that stops the load
};

struct SettingKey
{
    std::string_view key; // the name in the settings file
    SettingKind kind;
    std::variant<bool AccountSettings::*, std::int32_t AccountSettings::*, std::string AccountSettings::*> member;
};

// The section that holds every key.
inline constexpr std::string_view kSettingsSection = "settings";

// The 30 keys of the settings file, in the order the file holds them.
extern const std::array<SettingKey, 30> kSettingKeys;

// Settings files larger than this are not read.
inline constexpr std::uintmax_t kMaxSettingsFileBytes = 1u << 20;

// The settings file's INI text: all keys in order, enciphered under `password`.
std::string SettingsFileText(const AccountSettings& settings, std::string_view password);

// Writes the settings file anew, replacing it atomically: a failed write leaves the previous
// file as it was. Errors are not reported to the user; the result tells whether it was written.
bool SaveSettings(const std::filesystem::path& file, std::string_view password, const AccountSettings& settings);

// How far LoadSettings read a settings file.
struct SettingsLoad
{
    enum class Result
    {
        Missing,    // there is no file: nothing changed
        Unreadable, // it cannot be read, or nothing in it is under this password: nothing changed
        Damaged,    // read up to `stoppedAt`: the keys before it took their stored values
        Complete,
        SealChanged // a sealed file changed outside the program: nothing changed
    };
    Result result = Result::Missing;
    // With Damaged, the key where reading stopped: a value that cannot be deciphered, a width
    // below -2, or the first of the keys the file ends without.
    std::string_view stoppedAt;

    // True when the file was read to its end.
    explicit operator bool() const { return result == Result::Complete; }
};

// Reads the settings file into `settings`, with the current values as the defaults. A stored
// value that cannot be deciphered or a width below -2 stops the load at that key, and so does a
// file that ends before its last key: the keys before it keep their new values. A key missing in
// the middle keeps its current value. A file under another password, or one without the
// settings section, is unreadable: all values stay. A sealed file is opened first, with `seal`
// (the open account's key) when its header names that key, else with the password.
SettingsLoad LoadSettings(const std::filesystem::path& file, std::string_view password, AccountSettings& settings,
                          const std::optional<SealKey>& seal = std::nullopt);

} // namespace velmora
