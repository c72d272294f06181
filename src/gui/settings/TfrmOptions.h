#pragma once

#include "core/settings/AccountSettings.h"
#include "gui/widgets/DesktopLook.h"

#include <QDialog>
#include <cstdint>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace velmora {

class TfrmMain;

// The account settings dialog. Created once with the main window and kept for the run: its
// controls are the live settings of the open account (the preview panel `panList` carries the
// lists' colours and font); the main window keeps the list widths.
class TfrmOptions final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmOptions)

public:
    explicit TfrmOptions(TfrmMain& main);

    // The live settings: the controls, the panel, and the main window's list widths.
    AccountSettings Settings() const;
    // Sets the controls, the panel and the main window's list widths; applies nothing else.
    void SetSettings(const AccountSettings& settings);
    // How the controls say the main lists look.
    ListLook Look() const;

    // Reads the account's settings file into the controls; true when it existed and was read
    // to its end. A load that stops part-way keeps the keys read before the fault.
    bool LoadSettings();
    // Writes the account's settings file from the controls; a failure is reported.
    void SaveSettings();
    // Shows the list settings on the main window; failures are swallowed.
    void ApplySettings();
    // Loads and shows the settings; a settings file that cannot be read to its end is reported.
    void LoadAndApplySettings();
    void EnableStarOptions(bool enabled);
    // Every setting and the main window's list widths back to their design defaults, shown on
    // the lists. Called when the account is cleared (switch, delete) and before the clearing,
    // so the next account inherits nothing and no immediate save runs during the clear.
    void ResetToDefaults();

    void butOkClick();
    void butCancelClick();
    void butColorClick();
    void SpeedButton1Click();
    void rbBriefClick();
    void rbFullClick();
    void butHelpClick();

    // Esc and the close box are Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QCheckBox* AddCheck(QWidget* page, const char* name, const QString& caption);
    void ShowPanel();

    TfrmMain& m_main;
    // What the controls held when the dialog was opened: Cancel puts it back when the account
    // has no settings file to reload.
    AccountSettings m_opened;
    // The panel's colours as stored numbers, so a system colour stays one.
    std::int32_t m_panelColor = AccountSettings::kWindowColor;
    std::int32_t m_panelFontColor = AccountSettings::kWindowTextColor;

    QTabWidget* m_pages = nullptr;
    QRadioButton* m_rbBrief = nullptr;
    QRadioButton* m_rbFull = nullptr;
    QCheckBox* m_cbLoginStars = nullptr;
    QCheckBox* m_cbIDStars = nullptr;
    QCheckBox* m_cbPassStars = nullptr;
    QLabel* m_panList = nullptr;
    QToolButton* m_butColor = nullptr;
    QToolButton* m_SpeedButton1 = nullptr;
    QPushButton* m_butOk = nullptr;
    QPushButton* m_butCancel = nullptr;
    QPushButton* m_butHelp = nullptr;
};

} // namespace velmora
