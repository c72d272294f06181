#include "cli/AccountJson.h"

#include "cli/ExitCode.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace velmora::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(AccountJson, DumpsFoldersRecordsAndSettingsInOrder)
{
    TAccount account;
    account.AddFolder("\xCF\xEE\xF7\xF2\xE0", 3); // "Почта"
    account.Folder(0).AddRecord("Box", "http://a", "ann", "ID-7", "x1", "a\r\nb");
    account.Folder(0).AddRecord("", "", "", "", "", "");
    account.AddFolder("Bank", -1);
    const std::string expected = R"({
  "format": "velmora-account",
  "version": 1,
  "folders": [
    {
      "name": "Почта",
      "icon": 3,
      "records": [
        {
          "name": "Box",
          "url": "http://a",
          "login": "ann",
          "idNumber": "ID-7",
          "password": "x1",
          "notes": "a\r\nb"
        },
        {
          "name": "",
          "url": "",
          "login": "",
          "idNumber": "",
          "password": "",
          "notes": ""
        }
      ]
    },
    {
      "name": "Bank",
      "icon": -1,
      "records": []
    }
  ],
  "settings": null
})";
    EXPECT_EQ(AccountToJson(account, std::nullopt).dump(2), expected);
}

TEST(AccountJson, SettingsAreTheThirtyKeysInFileOrderWithPlainValues)
{
    AccountSettings settings;
    settings.FontName = "\xC0\xF0\xE8\xE0\xEB"; // "Ариал"
    settings.L_Width = -2;
    const std::string expected =
        R"({"cbHeaders":true,"cbGridLines":true,"cbFoldIcons":true,"cbRecIcons":true,"rbFull":true,)"
        R"("cbLoginStars":false,"cbIDStars":false,"cbPassStars":true,"BgColor":-16777211,"FontSize":8,)"
        R"("FontName":"Ариал","FontBold":false,"FontItalic":false,"FontUnderline":false,"FontColor":-16777208,)"
        R"("Tray":true,"SaveMod":false,"cbSaveBeforeTray":true,"ExpHeaders":true,"Hat":true,"cbSkipEmpty":true,)"
        R"("FP":true,"Strict":false,"cbRegistr":false,"L_Column1":170,"R_Column1":140,"R_Column2":125,)"
        R"("R_Column3":107,"R_Column4":120,"L_Width":-2})";
    EXPECT_EQ(AccountToJson(TAccount(), settings)["settings"].dump(), expected);
}

// Names take every byte but NUL, which ends a name in the lists and in other password managers.
TEST(AccountJson, EveryByteOfTheCodePageSurvivesTheRoundTrip)
{
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte) {
        everyByte += static_cast<char>(byte);
    }
    const std::string everyNameByte = everyByte.substr(1);
    TAccount account;
    account.AddFolder(everyNameByte, 7);
    account.Folder(0).AddRecord(everyNameByte, "u", "l", "i", everyByte, everyByte);
    AccountSettings settings;
    settings.FontName = everyByte;
    settings.cbHat = false;

    TAccount copy;
    const std::optional<AccountSettings> copiedSettings =
        AccountFromJson(ParseAccountJson(AccountToJson(account, settings).dump()), copy);

    ASSERT_EQ(copy.FolderCount(), 1u);
    EXPECT_EQ(copy.Folder(0).Name, everyNameByte);
    EXPECT_EQ(copy.Folder(0).ImageIndex, 7);
    ASSERT_EQ(copy.Folder(0).Count(), 1);
    const TRecType& record = copy.Folder(0).RecordAt(0);
    EXPECT_EQ(record.Name(), everyNameByte);
    EXPECT_EQ(record.URL(), "u");
    EXPECT_EQ(record.Login(), "l");
    EXPECT_EQ(record.IDNumber(), "i");
    EXPECT_EQ(record.Password(), everyByte);
    EXPECT_EQ(record.Notes(), everyByte);
    EXPECT_EQ(copiedSettings, settings);
}

std::string EveryByte()
{
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte) {
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

// The pieces WriteAccountJson hands over, in order.
std::vector<std::string> StreamedPieces(const TAccount& account, const std::optional<AccountSettings>& settings)
{
    std::vector<std::string> pieces;
    WriteAccountJson(account, settings, [&pieces](std::string_view piece) { pieces.emplace_back(piece); });
    return pieces;
}

std::string Joined(const std::vector<std::string>& pieces)
{
    std::string text;
    for (const std::string& piece : pieces) {
        text += piece;
    }
    return text;
}

TEST(AccountJson, TheStreamedDumpIsTheTreesDumpByteForByte)
{
    const std::string everyByte = EveryByte();
    const std::string tricky = "\"quoted\" back\\slash \x01\x1F\x7F\x98\r\n\t\b\f/";

    TAccount empty;
    TAccount full;
    full.AddFolder(everyByte, -7);
    full.Folder(0).AddRecord(everyByte, tricky, "", everyByte, everyByte, tricky + everyByte);
    full.Folder(0).AddRecord("", "", "", "", "", "");
    full.AddFolder("", 0); // no records
    full.AddFolder(tricky, 2147483647);
    full.Folder(2).AddRecord("a", "b", "c", "d", "e", "f");
    AccountSettings settings;
    settings.FontName = everyByte;
    settings.L_Width = -2;
    settings.BgColor = std::numeric_limits<std::int32_t>::min();
    settings.cbHat = false;

    struct Case
    {
        const char* what;
        const TAccount& account;
        std::optional<AccountSettings> settings;
    };
    const Case cases[] = {
        {"an empty account without settings", empty, std::nullopt},
        {"an empty account with settings", empty, settings},
        {"every byte, quotes, backslashes and control characters", full, settings},
        {"the same without settings", full, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Joined(StreamedPieces(c.account, c.settings)), AccountToJson(c.account, c.settings).dump(2) + "\n")
            << c.what;
    }
}

TEST(AccountJson, ALargeDumpIsHandedOverInPiecesThatJoinToTheTreesDump)
{
    const std::string everyByte = EveryByte();
    TAccount account;
    account.AddFolder("Many", 1);
    for (int i = 0; i < 500; ++i) {
        // Values of varying length, so escapes and multi-byte characters fall on piece boundaries.
        const std::string value = everyByte.substr(static_cast<std::size_t>(i % 256)) + std::to_string(i);
        account.Folder(0).AddRecord(value, value, value, value, value, value);
    }

    const std::vector<std::string> pieces = StreamedPieces(account, AccountSettings{});
    const std::string whole = Joined(pieces);
    EXPECT_EQ(whole, AccountToJson(account, AccountSettings{}).dump(2) + "\n");
    for (const std::string& piece : pieces) {
        EXPECT_LT(piece.size(), whole.size() / 4) << "the dump was held whole";
    }
}

std::string Dump(const std::string& folders, const std::string& settings = "null")
{
    return R"({"format": "velmora-account", "version": 1, "folders": )" + folders + R"(, "settings": )" + settings +
           "}";
}

std::string OneRecord(const std::string& fields)
{
    return Dump(R"([{"name": "Mail", "icon": 0, "records": [{"name": "Box", "url": "", "login": "", )" + fields +
                "}]}]");
}

std::string Settings(const std::string& key, const std::string& value)
{
    nlohmann::ordered_json settings = AccountToJson(TAccount(), AccountSettings{})["settings"];
    settings[key] = nlohmann::ordered_json::parse(value);
    return Dump("[]", settings.dump());
}

TEST(AccountJson, RefusesWhatIsNoDumpAndSaysWhere)
{
    struct Case
    {
        std::string text;
        std::string message;
    };
    nlohmann::ordered_json missingKey = AccountToJson(TAccount(), AccountSettings{});
    missingKey["settings"].erase("L_Width");
    const Case cases[] = {
        {"", "line 1, column 1"},
        {"{\n  \"format\": \"velmora-account\",\n  x", "line 3, column 3"},
        {"[]", "its top level should be an object, not array"},
        {R"({"format": "velmora-account", "version": 1, "folders": []})", "lacks the member \"settings\""},
        {R"({"format": "other", "version": 1, "folders": [], "settings": null})", "/format should be"},
        {R"({"format": "velmora-account", "version": 2, "folders": [], "settings": null})", "with version 1"},
        {Dump("{}"), "/folders should be an array, not object"},
        {Dump(R"([{"name": "Mail", "icon": "3", "records": []}])"), "/folders/0/icon should be an integer, not string"},
        {Dump(R"([{"name": "Mail", "icon": 1.5, "records": []}])"), "/folders/0/icon should be an integer, not number"},
        {Dump(R"([{"name": "Mail", "icon": 2147483648, "records": []}])"), "from -2147483648 to 2147483647"},
        {Dump(R"([{"name": "Mail", "icon": 1e999, "records": []}])"), "a number too large to read"},
        {Dump(R"([{"name": "Mail", "icon": 0, "records": [], "colour": 1}])"), "unknown member \"colour\""},
        {Dump(R"([{"name": "中", "icon": 0, "records": []}])"), "/folders/0/name holds the character U+4E2D"},
        {Dump(R"([{"name": "a\u0000b", "icon": 0, "records": []}])"), "/folders/0/name holds the character U+0000"},
        {Dump(R"([{"name": "Mail", "icon": 0, "records": [{"name": "\u0000", "url": "", "login": "", "idNumber": "",
                   "password": "", "notes": ""}]}])"),
         "/folders/0/records/0/name (folder \"Mail\", record \"\\u0000\") holds the character U+0000"},
        {Dump(R"([{"name": "M\u001b[31m", "icon": 0, "records": [{}]}])"), "(folder \"M\\u001b[31m\", record)"},
        {OneRecord(R"("idNumber": "", "password": "x")"),
         R"(/folders/0/records/0 (folder "Mail", record "Box") lacks the member "notes")"},
        {OneRecord(R"("idNumber": "", "password": 5, "notes": "")"),
         "/password (folder \"Mail\", record \"Box\") should be a string"},
        {OneRecord(R"("idNumber": "", "password": "", "notes": "a中")"),
         "/notes (folder \"Mail\", record \"Box\") holds the character U+4E2D"},
        {Dump("[]", missingKey["settings"].dump()), "/settings lacks the member \"L_Width\""},
        {Settings("Hat", "1"), "/settings/Hat should be true or false, not number"},
        {Settings("L_Width", "-3"), "/settings/L_Width should be an integer from -2"},
        {Settings("FontName", "\"中\""), "/settings/FontName holds the character U+4E2D"},
        // A member given twice would silently keep only its last value.
        {R"({"format": "velmora-account", "format": "velmora-account", "version": 1, "folders": [], "settings": null})",
         "its top level has the member \"format\" twice"},
        {OneRecord(R"("idNumber": "", "password": "a", "notes": "", "password": "b")"),
         "/folders/0/records/0 has the member \"password\" twice"},
        {Dump(R"([{"name": "A", "icon": 0, "records": [[1, [2]], {"k": [{}]}]},
                  {"name": "B", "icon": 0, "name": "C", "records": []}])"),
         "/folders/1 has the member \"name\" twice"},
        {Dump("[]", R"({"a/b~": {"Hat": true, "Hat": false}})"), "/settings/a~1b~0 has the member \"Hat\" twice"},
    };
    for (const Case& c : cases) {
        TAccount account;
        try {
            AccountFromJson(ParseAccountJson(c.text), account);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const CommandError& error) {
            EXPECT_EQ(error.Code(), ExitCode::DamagedFile) << c.text;
            EXPECT_THAT(error.what(), HasSubstr(c.message)) << c.text;
        }
    }
}

TEST(AccountJson, RefusalsNeverQuotePasswords)
{
    const std::string texts[] = {
        OneRecord(R"("idNumber": "", "password": "se中cret", "notes": "")"),
        R"({"folders": [{"records": [{"password": "se)" + std::string("\x01") + R"(cret"}]}]})",
    };
    for (const std::string& text : texts) {
        TAccount account;
        try {
            AccountFromJson(ParseAccountJson(text), account);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const CommandError& error) {
            EXPECT_THAT(error.what(), Not(HasSubstr("cret"))) << error.what();
            EXPECT_THAT(error.what(), Not(HasSubstr("U+4E2D"))) << error.what();
        }
    }
}

} // namespace
} // namespace velmora::cli
