#pragma once

#include "core/account/AccountDirectory.h"
#include "gui/account/TfrmAccountSet.h"
#include "gui/browser/AccountLists.h"
#include "gui/commands/CommandTable.h"
#include "gui/main/TfrmMain.h"
#include "gui/session/AccountSession.h"
#include "gui/settings/TfrmOptions.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <filesystem>
#include <memory>

namespace velmora::testing {

// A program directory of its own with the shipped English texts, the main window and the
// account dialog on scripted platform services.
struct Program
{
    test::TempDir dir;
    ScriptedPlatform platform;
    std::unique_ptr<AccountSession> session;
    std::unique_ptr<TfrmMain> main;
    std::unique_ptr<TfrmAccountSet> accountSet;
    int endRequests = 0;

    Program()
    {
        std::filesystem::copy_file(std::filesystem::path(VELMORA_RUNTIME_DIR) / "Default.lng", dir / "Default.lng");
        session = std::make_unique<AccountSession>(platform.Services());
        main = std::make_unique<TfrmMain>(*session);
        accountSet = std::make_unique<TfrmAccountSet>(*session, main->Lists(), *main);
        accountSet->SetEndProgram([this] { ++endRequests; });
    }

    // The start-up sequence; the account dialog runs `script` while it is up.
    void Start(std::function<void(QDialog&)> script)
    {
        main->SetAccountDialog(accountSet.get());
        platform.modalScripts.push_back(std::move(script));
        main->FormShow(PortableFolders(dir.Path()));
    }

    // Changes the account's settings, without showing them on the main window yet.
    void ChangeSettings(const std::function<void(AccountSettings&)>& change)
    {
        AccountSettings settings = main->Session().Settings();
        change(settings);
        main->Session().SetSettings(settings);
    }

    // Only the language, for tests of the main window alone.
    void LoadLanguage() { main->FormShow(PortableFolders(dir.Path())); }

    std::filesystem::path File(const std::string& name, std::string_view extension) const
    {
        return AccountFilePath(dir.Path(), name, extension);
    }

    // An account file written with our own writer.
    void WriteAccount(const std::string& name, const std::string& password, int folders)
    {
        TAccount account;
        account.Name = name;
        account.Password = password;
        for (int i = 0; i < folders; ++i) {
            account.AddFolder("Folder " + std::to_string(i), i);
            account.Folder(static_cast<std::size_t>(i)).AddRecord("Record", "", "login", "", "secret", "");
        }
        std::filesystem::create_directories(UsersDirectory(dir.Path()));
        account.SaveToFile(File(name, kAccountExtension));
    }
};

} // namespace velmora::testing
