#pragma once

#include <filesystem>

namespace velmora {

class TfrmMain;

// The interface language of the program: which language file is in use (`LanFile`, empty for
// Default.lng), applying it to every form and to the list column captions, and the choice
// remembered between runs in DefName.lng. The items of the main menu's language submenu run
// `mEngClick` and `mLanSelectClick`.
class InterfaceLanguage final
{
public:
    explicit InterfaceLanguage(TfrmMain& main);
    InterfaceLanguage(const InterfaceLanguage&) = delete;
    InterfaceLanguage& operator=(const InterfaceLanguage&) = delete;

    const std::filesystem::path& LanFile() const { return m_lanFile; }

    // Loads `LanFile` as the document in use and translates the forms, the column captions of
    // the lists and the context menus. A file that cannot be read is reported with
    // const_err_lan and leaves the previous document in use; false then.
    bool ApplyLanguage();
    // Applies `path` and remembers it for the next start. A file that could not be applied is
    // neither kept nor remembered: the language in use stays the chosen one.
    void SetLanguageFile(const std::filesystem::path& path);
    // Applies the current `LanFile`, then takes the remembered one as `LanFile`.
    void LoadLanguageChoice();
    // At start: Default.lng first, then the remembered file over it, so a text the remembered
    // file lacks keeps its default wording.
    void StartUp();

    void mEngClick();
    void mLanSelectClick();

private:
    TfrmMain& m_main;
    std::filesystem::path m_lanFile;
};

} // namespace velmora
