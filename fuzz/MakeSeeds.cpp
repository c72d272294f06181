// Writes the seed corpora of the fuzz targets from our own writers: small accounts, a folder
// block, account structures, a settings file and a language file.
// Run: fuzz_make_seeds <corpus directory>.

#include "AccountStructure.h"
#include "FuzzSupport.h"
#include "cli/AccountJson.h"
#include "core/os/AtomicFile.h"
#include "core/settings/AccountSettings.h"
#include "core/vault/AccountFile.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>

using namespace velmora;

namespace {

void Write(const std::filesystem::path& path, std::string_view bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TAccount& Sample(TAccount& account)
{
    account.Password = fuzz::kSeedPassword;
    account.AddFolder("Mail", 3);
    account.Folder(0).AddRecord("Post", "https://mail.example", "me", "42", "p4ss", "line 1\r\nline 2");
    account.Folder(0).AddRecord("", "", "", "", "", "");
    account.AddFolder("\xC1\xE0\xED\xEA", 0);
    return account;
}

// The sample account as a plain structure, its Mail folder also as the block read afterwards.
fuzz::PlainAccount SampleStructure()
{
    fuzz::PlainFolder mail;
    mail.name = "Mail";
    mail.icon = 3;
    mail.records = {{"Post", "https://mail.example", "me", "42", "p4ss", "line 1\r\nline 2"}, {}};
    fuzz::PlainFolder bank;
    bank.name = "\xC1\xE0\xED\xEA";
    fuzz::PlainAccount account;
    account.folders = {mail, bank};
    account.block = mail;
    return account;
}

fuzz::NumberLine Number(fuzz::NumberLine::Mode mode, std::int32_t operand, std::string text = {})
{
    return {mode, operand, std::move(text)};
}

void WriteStructureSeeds(const std::filesystem::path& directory)
{
    using fuzz::NumberLine;
    const fuzz::PlainAccount sample = SampleStructure();
    Write(directory / "sample", fuzz::StructureInput(sample));

    fuzz::PlainAccount changed = sample;
    changed.countLine = Number(NumberLine::Fixed, static_cast<std::int32_t>(kMaxFolders) + 1);
    Write(directory / "folder-count-past-limit", fuzz::StructureInput(changed));

    changed = sample;
    changed.folders[1].countLine = Number(NumberLine::Fixed, static_cast<std::int32_t>(kMaxRecordsPerFolder) + 1);
    changed.block.countLine = changed.folders[1].countLine;
    Write(directory / "record-count-past-limit", fuzz::StructureInput(changed));

    changed = sample;
    changed.countLine = Number(NumberLine::Offset, -3);
    changed.folders[0].countLine = Number(NumberLine::Offset, 1);
    changed.folders[1].iconLine = Number(NumberLine::Text, 0, "-");
    changed.block.countLine = Number(NumberLine::Fixed, -1);
    Write(directory / "counts-off", fuzz::StructureInput(changed));

    changed = sample;
    changed.folders[0].iconLine = Number(NumberLine::Offset, std::numeric_limits<std::int32_t>::max());
    changed.block.countLine = Number(NumberLine::Text, 0, "99999999999");
    Write(directory / "past-32-bits", fuzz::StructureInput(changed));

    changed = sample;
    changed.flags |= fuzz::kBlockIntoFullAccount;
    Write(directory / "block-into-full-account", fuzz::StructureInput(changed));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: fuzz_make_seeds <corpus directory>\n";
        return 1;
    }
    const std::filesystem::path corpus = argv[1];
    const auto scratch = fuzz::InputFile("seed");

    TAccount account;
    Sample(account).SaveToFile(scratch);
    const std::string accountFile = ReadWholeFile(scratch);
    // The first byte chooses the password: odd for the seed password.
    Write(corpus / "AccountFile" / "sample", "\x01" + accountFile);
    TAccount empty;
    empty.Password = fuzz::kSeedPassword;
    empty.SaveToFile(scratch);
    Write(corpus / "AccountFile" / "empty", "\x01" + ReadWholeFile(scratch));

    AccountFileWriter block;
    account.Folder(0).WriteFolder(block);
    Write(corpus / "FolderFile" / "sample", block.Finish(account.Cipher(), account.Password));

    WriteStructureSeeds(corpus / "AccountStructure");

    AccountSettings settings;
    Write(corpus / "SettingsFile" / "defaults", SettingsFileText(settings, fuzz::kSeedPassword));
    settings.rbFull = false;
    settings.FontName = "Sans";
    settings.L_Width = -1;
    Write(corpus / "SettingsFile" / "changed", SettingsFileText(settings, fuzz::kSeedPassword));

    Write(corpus / "LanguageFile" / "small", "; comment\r\n[Misc]\r\nconst_mod:string=_Changed*|*two_\r\n"
                                             "[frmMain]\r\nCaption=Main\r\nbutOk.Hint=OK\r\n");
    Write(corpus / "LanguageFile" / "bom", "\xEF\xBB\xBF[Misc]\nconst_wrong_pass:string=\xD0\x9D\xD0\xB5\xD1\x82 %s\n");
    Write(corpus / "JsonImport" / "with-settings", cli::AccountToJson(account, AccountSettings{}).dump(1));
    Write(corpus / "JsonImport" / "without-settings", cli::AccountToJson(empty, std::nullopt).dump());
    std::filesystem::remove(scratch);
    return 0;
}
