#include "core/os/AtomicFile.h"
#include "core/settings/AccountSettings.h"
#include "core/settings/TSECURITYINI.h"
#include "core/vault/Base64.h"
#include "core/vault/StringCipher.h"
#include "support/TempDir.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace velmora {
namespace {

constexpr std::string_view kPassword = "Secret pass";

// Every value differs from the design defaults.
AccountSettings ChangedSettings()
{
    AccountSettings s;
    s.cbHeaders = false;
    s.cbGridLines = false;
    s.cbFoldIcons = false;
    s.cbRecIcons = false;
    s.rbFull = false;
    s.cbLoginStars = true;
    s.cbIDStars = true;
    s.cbPassStars = false;
    s.BgColor = 0x00FFEEDD;
    s.FontSize = 12;
    s.FontName = "DejaVu Sans \xCF"; // any bytes, Cyrillic included
    s.FontBold = true;
    s.FontItalic = true;
    s.FontUnderline = true;
    s.FontColor = -16777207;
    s.cbTray = false;
    s.cbSaveMod = true;
    s.cbSaveBeforeTray = false;
    s.cbExpHeaders = false;
    s.cbHat = false;
    s.cbSkipEmpty = false;
    s.cbFP = false;
    s.cbStrict = true;
    s.cbRegistr = true;
    s.L_Column1 = -1;
    s.R_Column1 = -2;
    s.R_Column2 = 0;
    s.R_Column3 = 300;
    s.R_Column4 = 2147483647;
    s.L_Width = 99;
    return s;
}

// What a load that stops at key `failing` leaves in fresh settings: the keys before it, as stored.
AccountSettings ReadBefore(std::size_t failing, const AccountSettings& stored)
{
    AccountSettings read;
    for (std::size_t i = 0; i < failing; ++i) {
        std::visit([&](auto member) { read.*member = stored.*member; }, kSettingKeys[i].member);
    }
    return read;
}

class SettingsFile : public testing::Test
{
protected:
    std::filesystem::path File() const { return m_dir / "Home.int"; }

    std::string Content() const { return ReadWholeFile(File()); }

    // Replaces the stored value of `key` by `raw`, exactly as it stands in the file.
    void StoreRaw(std::string_view key, std::string_view raw) const
    {
        TSECURITYINI names(kPassword, kPassword);
        IniDocument document = IniDocument::Parse(Content());
        document.WriteString(names.EncipherSettingText(kPassword, kSettingsSection),
                             names.EncipherSettingText(kPassword, key), raw);
        WriteFileAtomically(File(), document.Text());
    }

    // Stores the plain text `plain` for `key`, enciphered as the writer does.
    void StorePlain(std::string_view key, std::string_view plain) const
    {
        TSECURITYINI ini(kPassword, kPassword);
        ini.Open(Content());
        ini.WriteString(kSettingsSection, key, plain);
        WriteFileAtomically(File(), ini.Text());
    }

    test::TempDir m_dir;
};

TEST_F(SettingsFile, RoundTripKeepsEveryValue)
{
    for (const AccountSettings& saved : {AccountSettings{}, ChangedSettings()}) {
        ASSERT_TRUE(SaveSettings(File(), kPassword, saved));
        AccountSettings loaded;
        EXPECT_TRUE(LoadSettings(File(), kPassword, loaded));
        EXPECT_TRUE(loaded == saved);
    }
}

TEST_F(SettingsFile, HoldsOneSectionAndAllKeysInOrderAndNothingReadable)
{
    ASSERT_TRUE(SaveSettings(File(), kPassword, ChangedSettings()));
    const std::string content = Content();
    const IniDocument document = IniDocument::Parse(content);
    StringCipher cipher;
    auto enciphered = [&](std::string_view text) {
        std::string line = cipher.EncipherText(kPassword, text);
        std::replace(line.begin(), line.end(), '=', '!');
        return line;
    };
    const std::string section = enciphered(kSettingsSection);
    std::vector<std::string> expectedNames;
    for (const SettingKey& key : kSettingKeys) {
        expectedNames.push_back(enciphered(key.key));
    }
    EXPECT_EQ(document.EntryNames(section), expectedNames);
    EXPECT_EQ(content.find("settings"), std::string::npos);
    EXPECT_EQ(content.find("cbHeaders"), std::string::npos);
    EXPECT_EQ(content.find("DejaVu"), std::string::npos);
    EXPECT_EQ(std::count(content.begin(), content.end(), '['), 1);
}

// The Base64 text of `bytes` as our files write it: a short final group takes its missing
// bytes from the group before it (zero when there is none).
std::string Base64WithFillFromPreviousGroup(std::string_view bytes)
{
    static constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t start = 0; start < bytes.size(); start += 3) {
        unsigned char group[3];
        for (std::size_t k = 0; k < 3; ++k) {
            const std::size_t at = start + k < bytes.size() ? start + k : start >= 3 ? start - 3 + k : bytes.size();
            group[k] = at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0;
        }
        const std::size_t taken = std::min<std::size_t>(3, bytes.size() - start);
        out += alphabet[group[0] >> 2];
        out += alphabet[((group[0] & 0x03) << 4) | (group[1] >> 4)];
        out += taken > 1 ? alphabet[((group[1] & 0x0F) << 2) | (group[2] >> 6)] : '!';
        out += taken > 2 ? alphabet[group[2] & 0x3F] : '!';
    }
    return out;
}

TEST_F(SettingsFile, NamesCarryTheFillBitsOfTheGroupBefore)
{
    ASSERT_TRUE(SaveSettings(File(), kPassword, ChangedSettings()));
    const std::string content = Content();

    int shortNames = 0;
    int fillBitsMatter = 0;
    std::size_t lineStart = 0;
    while (lineStart < content.size()) {
        const std::size_t lineEnd = content.find("\r\n", lineStart);
        std::string_view line(content.data() + lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 2;
        const std::string_view name =
            line.front() == '[' ? line.substr(1, line.size() - 2) : line.substr(0, line.find('='));
        std::string padded(name);
        std::replace(padded.begin(), padded.end(), '!', '=');
        const std::optional<std::string> cipherBytes = DecodeBase64(padded);
        ASSERT_TRUE(cipherBytes.has_value());
        EXPECT_EQ(name, Base64WithFillFromPreviousGroup(*cipherBytes));
        if (cipherBytes->size() % 3 != 0) {
            ++shortNames;
            std::string zeroFilled = *cipherBytes;
            zeroFilled.append(3 - zeroFilled.size() % 3, '\0');
            const std::string standard = Base64WithFillFromPreviousGroup(zeroFilled).substr(0, name.size());
            fillBitsMatter += standard.substr(0, name.find('!')) != name.substr(0, name.find('!'));
        }
    }
    EXPECT_EQ(shortNames, 18); // "settings" and 17 keys
    EXPECT_GT(fillBitsMatter, 0);

    AccountSettings loaded;
    EXPECT_TRUE(LoadSettings(File(), kPassword, loaded));
    EXPECT_TRUE(loaded == ChangedSettings());
}

TEST_F(SettingsFile, MissingFileChangesNothing)
{
    AccountSettings settings = ChangedSettings();
    EXPECT_FALSE(LoadSettings(File(), kPassword, settings));
    EXPECT_TRUE(settings == ChangedSettings());
}

TEST_F(SettingsFile, AFileUnderAnotherPasswordOrEmptyIsUnreadableAndKeepsEveryValue)
{
    ASSERT_TRUE(SaveSettings(File(), "other password", AccountSettings{}));
    AccountSettings settings = ChangedSettings();
    EXPECT_FALSE(LoadSettings(File(), kPassword, settings));
    EXPECT_TRUE(settings == ChangedSettings());

    WriteFileAtomically(File(), "");
    EXPECT_FALSE(LoadSettings(File(), kPassword, settings));
    EXPECT_TRUE(settings == ChangedSettings());
}

TEST_F(SettingsFile, UndecodableValueStopsTheLoadAtItsKey)
{
    const AccountSettings stored = ChangedSettings();
    for (std::size_t failing = 0; failing < kSettingKeys.size(); ++failing) {
        SCOPED_TRACE(kSettingKeys[failing].key);
        ASSERT_TRUE(SaveSettings(File(), kPassword, stored));
        StoreRaw(kSettingKeys[failing].key, "abcde"); // no multiple of 4
        AccountSettings loaded;
        EXPECT_FALSE(LoadSettings(File(), kPassword, loaded));
        EXPECT_TRUE(loaded == ReadBefore(failing, stored));
    }
}

TEST_F(SettingsFile, InnerLayerThatDoesNotDecodeStopsTheLoad)
{
    ASSERT_TRUE(SaveSettings(File(), kPassword, ChangedSettings()));
    TSECURITYINI ini(kPassword, kPassword);
    StoreRaw("cbHeaders", ini.EncipherSettingText(kPassword, "abc")); // outer layer fine, inner not
    AccountSettings loaded = ChangedSettings();
    EXPECT_FALSE(LoadSettings(File(), kPassword, loaded));
    EXPECT_TRUE(loaded == ChangedSettings());
}

TEST_F(SettingsFile, WidthBelowMinusTwoStopsTheLoadAtItsKey)
{
    const AccountSettings stored = ChangedSettings();
    for (std::size_t failing = kSettingKeys.size() - 6; failing < kSettingKeys.size(); ++failing) {
        SCOPED_TRACE(kSettingKeys[failing].key);
        ASSERT_EQ(kSettingKeys[failing].kind, SettingKind::Width);
        ASSERT_TRUE(SaveSettings(File(), kPassword, stored));
        StorePlain(kSettingKeys[failing].key, "-3");
        AccountSettings loaded;
        EXPECT_FALSE(LoadSettings(File(), kPassword, loaded));
        EXPECT_TRUE(loaded == ReadBefore(failing, stored));
    }
}

// The file's text up to the end of the line of key `keys - 1` (the section line first), less
// `less` characters before that line's end.
std::string CutAfterKeys(const std::string& text, std::size_t keys, std::size_t less = 0)
{
    std::size_t end = 0;
    for (std::size_t line = 0; line < 1 + keys; ++line) {
        end = text.find("\r\n", end) + 2;
    }
    return text.substr(0, end - 2 - less) + "\r\n";
}

// The file's text without the line of key `key`.
std::string WithoutKey(const std::string& text, std::size_t key)
{
    const std::string cut = CutAfterKeys(text, key);
    return cut + text.substr(CutAfterKeys(text, key + 1).size());
}

// How far a load goes in a damaged file, and what it tells about it.
struct DamageCase
{
    const char* what;
    std::function<std::string(const std::string&)> damage; // the stored text to the damaged one
    SettingsLoad::Result result;
    std::optional<std::size_t> stoppedAt; // the key where the load stops, or none
};

void PrintTo(const DamageCase& c, std::ostream* os)
{
    *os << c.what;
}

class DamagedSettingsFile : public SettingsFile, public testing::WithParamInterface<DamageCase>
{};

TEST_P(DamagedSettingsFile, ReadsUpToTheDamageAndSaysWhere)
{
    const DamageCase& c = GetParam();
    const AccountSettings stored = ChangedSettings();
    ASSERT_TRUE(SaveSettings(File(), kPassword, stored));
    WriteFileAtomically(File(), c.damage(Content()));
    AccountSettings loaded;
    const SettingsLoad load = LoadSettings(File(), kPassword, loaded);
    EXPECT_EQ(load.result, c.result);
    EXPECT_EQ(static_cast<bool>(load), c.result == SettingsLoad::Result::Complete);
    if (c.stoppedAt) {
        EXPECT_EQ(load.stoppedAt, kSettingKeys[*c.stoppedAt].key);
        EXPECT_TRUE(loaded == ReadBefore(*c.stoppedAt, stored));
    } else if (c.result == SettingsLoad::Result::Unreadable) {
        EXPECT_TRUE(loaded == AccountSettings{});
    }
}

using Result = SettingsLoad::Result;
INSTANTIATE_TEST_SUITE_P(
    Table, DamagedSettingsFile,
    testing::Values(DamageCase{"whole", [](const std::string& text) { return text; }, Result::Complete, std::nullopt},
                    DamageCase{"cut after the section", [](const std::string& text) { return CutAfterKeys(text, 0); },
                               Result::Damaged, 0},
                    DamageCase{"cut after key 1", [](const std::string& text) { return CutAfterKeys(text, 1); },
                               Result::Damaged, 1},
                    DamageCase{"cut after key 16", [](const std::string& text) { return CutAfterKeys(text, 16); },
                               Result::Damaged, 16},
                    DamageCase{"cut after key 29", [](const std::string& text) { return CutAfterKeys(text, 29); },
                               Result::Damaged, 29},
                    DamageCase{"cut inside the value of key 17",
                               [](const std::string& text) { return CutAfterKeys(text, 17, 1); }, Result::Damaged, 16},
                    DamageCase{"cut inside the value of key 30",
                               [](const std::string& text) { return CutAfterKeys(text, 30, 1); }, Result::Damaged, 29},
                    DamageCase{"a bad value at key 17",
                               [](const std::string& text) {
                                   std::string damaged = text;
                                   const std::size_t line = CutAfterKeys(text, 16).size();
                                   damaged.replace(text.find('=', line) + 1,
                                                   text.find('\r', line) - text.find('=', line) - 1, "abcde");
                                   return damaged;
                               },
                               Result::Damaged, 16},
                    DamageCase{
                        "under another password",
                        [](const std::string&) { return SettingsFileText(ChangedSettings(), "another password"); },
                        Result::Unreadable, std::nullopt}));

// A key missing between others keeps its value and stops nothing: only a file that ends early is
// damaged.
TEST_F(SettingsFile, AKeyMissingInTheMiddleKeepsItsValue)
{
    const AccountSettings stored = ChangedSettings();
    ASSERT_TRUE(SaveSettings(File(), kPassword, stored));
    WriteFileAtomically(File(), WithoutKey(Content(), 9)); // FontSize
    AccountSettings loaded;
    EXPECT_EQ(LoadSettings(File(), kPassword, loaded).result, SettingsLoad::Result::Complete);
    AccountSettings expected = stored;
    expected.FontSize = AccountSettings{}.FontSize;
    EXPECT_TRUE(loaded == expected);
}

TEST_F(SettingsFile, AMissingFileIsToldFromAnUnreadableOne)
{
    AccountSettings settings;
    EXPECT_EQ(LoadSettings(File(), kPassword, settings).result, SettingsLoad::Result::Missing);
    std::filesystem::create_directory(File());
    EXPECT_EQ(LoadSettings(File(), kPassword, settings).result, SettingsLoad::Result::Unreadable);
}

struct PlainCase
{
    std::string key;
    std::string plain;
    bool startFalse; // the current value of the boolean before loading
    std::int32_t expected;
};

void PrintTo(const PlainCase& c, std::ostream* os)
{
    *os << c.key << "=" << testing::PrintToString(c.plain);
}

class PlainValues : public SettingsFile, public testing::WithParamInterface<PlainCase>
{};

TEST_P(PlainValues, ParseAsTheWriterWrites)
{
    const PlainCase& c = GetParam();
    AccountSettings start;
    start.cbHeaders = !c.startFalse;
    start.FontBold = !c.startFalse;
    ASSERT_TRUE(SaveSettings(File(), kPassword, start));
    StorePlain(c.key, c.plain);
    AccountSettings loaded = start;
    ASSERT_TRUE(LoadSettings(File(), kPassword, loaded));
    if (c.key == "cbHeaders") {
        EXPECT_EQ(loaded.cbHeaders, c.expected != 0);
    } else if (c.key == "FontBold") {
        EXPECT_EQ(loaded.FontBold, c.expected != 0);
    } else if (c.key == "BgColor") {
        EXPECT_EQ(loaded.BgColor, c.expected);
    } else {
        EXPECT_EQ(loaded.L_Width, c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PlainValues,
                         testing::Values(PlainCase{"cbHeaders", "1", true, 1}, PlainCase{"cbHeaders", "0", false, 0},
                                         PlainCase{"cbHeaders", "2", true, 1}, PlainCase{"cbHeaders", "-1", true, 1},
                                         PlainCase{"cbHeaders", "+1", true, 1}, PlainCase{"cbHeaders", "true", true, 0},
                                         PlainCase{"cbHeaders", "true", false, 1}, PlainCase{"cbHeaders", "", false, 1},
                                         PlainCase{"cbHeaders", " 0", false, 1}, PlainCase{"cbHeaders", "0x1", true, 0},
                                         PlainCase{"FontBold", "1", true, 1},     // a style is added
                                         PlainCase{"FontBold", "0", false, 0},    // an explicit 0 clears it
                                         PlainCase{"FontBold", "junk", false, 1}, // junk leaves it
                                         PlainCase{"FontBold", "junk", true, 0},  //
                                         PlainCase{"BgColor", "-16777211", true, -16777211},
                                         PlainCase{"BgColor", "255", true, 255},
                                         PlainCase{"BgColor", "4294967295", true, AccountSettings::kWindowColor},
                                         PlainCase{"BgColor", "12ab", true, AccountSettings::kWindowColor},
                                         PlainCase{"L_Width", "-2", true, -2},
                                         PlainCase{"L_Width", "wide", true, 210}));

TEST_F(SettingsFile, EmptyFontNameLeavesTheFace)
{
    AccountSettings stored = ChangedSettings();
    stored.FontName.clear();
    ASSERT_TRUE(SaveSettings(File(), kPassword, stored));
    AccountSettings loaded;
    loaded.FontName = "Arial";
    ASSERT_TRUE(LoadSettings(File(), kPassword, loaded));
    EXPECT_EQ(loaded.FontName, "Arial");
    EXPECT_EQ(loaded.L_Width, stored.L_Width);
}

TEST_F(SettingsFile, FailedSaveLeavesThePreviousFile)
{
    ASSERT_TRUE(SaveSettings(File(), kPassword, ChangedSettings()));
    for (const WriteStep step :
         {WriteStep::Create, WriteStep::Write, WriteStep::Flush, WriteStep::Close, WriteStep::Rename}) {
        SetWriteFaultHook([step](WriteStep at) { return at == step; });
        EXPECT_FALSE(SaveSettings(File(), kPassword, AccountSettings{}));
        SetWriteFaultHook({});
        AccountSettings loaded;
        EXPECT_TRUE(LoadSettings(File(), kPassword, loaded));
        EXPECT_TRUE(loaded == ChangedSettings());
    }
    EXPECT_FALSE(SaveSettings(m_dir / "no such dir" / "Home.int", kPassword, AccountSettings{}));
}

TEST_F(SettingsFile, UnreadableOrOversizedFileChangesNothing)
{
    std::filesystem::create_directory(File());
    AccountSettings settings = ChangedSettings();
    EXPECT_FALSE(LoadSettings(File(), kPassword, settings));
    std::filesystem::remove(File());
    std::ofstream(File(), std::ios::binary) << "[x]\r\n" << std::string(kMaxSettingsFileBytes, ';');
    EXPECT_FALSE(LoadSettings(File(), kPassword, settings));
    EXPECT_TRUE(settings == ChangedSettings());
}

TEST_F(SettingsFile, DamagedTextNeverCrashesAndIsReported)
{
    const std::string samples[] = {"",        std::string("\0\0\0", 3), "[",
                                   "[]\n=\n", "garbage=!!!!\n[a]\nb=c", std::string(5000, '[')};
    for (const std::string& sample : samples) {
        std::ofstream(File(), std::ios::binary | std::ios::trunc) << sample;
        AccountSettings settings = ChangedSettings();
        EXPECT_FALSE(LoadSettings(File(), kPassword, settings));
        EXPECT_TRUE(settings == ChangedSettings());
    }
}

TEST(TSECURITYINI, SettingTextIsTheStringCipherWithPaddingAsBang)
{
    TSECURITYINI ini("k", "k");
    StringCipher cipher;
    for (const std::string_view value : {"", "a", "ab", "abc", "abcd", "settings"}) {
        std::string expected = cipher.EncipherText("key", value);
        std::replace(expected.begin(), expected.end(), '=', '!');
        const std::string line = ini.EncipherSettingText("key", value);
        EXPECT_EQ(line, expected);
        EXPECT_EQ(line.find('='), std::string::npos);
        EXPECT_EQ(ini.DecipherSettingText("key", line), value);
    }
    EXPECT_THROW(ini.DecipherSettingText("key", "abc"), SettingsReadError);
    EXPECT_THROW(ini.DecipherSettingText("key", "abcd!"), SettingsReadError);
}

TEST(TSECURITYINI, NamesOnceUnderSectionKeyValuesUnderBothKeys)
{
    TSECURITYINI writer("section key", "value key");
    writer.WriteString("settings", "FontName", "Arial");
    TSECURITYINI plain("", "");
    const std::string once = plain.EncipherSettingText("section key", "Arial");
    const std::string expected = "[" + plain.EncipherSettingText("section key", "settings") + "]\r\n" +
                                 plain.EncipherSettingText("section key", "FontName") + "=" +
                                 plain.EncipherSettingText("value key", once) + "\r\n";
    EXPECT_EQ(writer.Text(), expected);

    TSECURITYINI reader("section key", "value key");
    reader.Open(writer.Text());
    EXPECT_EQ(reader.ReadString("settings", "FontName", "default"), "Arial");
    EXPECT_EQ(reader.ReadString("settings", "FontSize", "default"), "default");
    TSECURITYINI swapped("value key", "section key");
    swapped.Open(writer.Text());
    EXPECT_EQ(swapped.ReadString("settings", "FontName", "default"), "default");
}

} // namespace
} // namespace velmora
