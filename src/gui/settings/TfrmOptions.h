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

class AccountLists;
class AccountSession;

// The account settings dialog. It edits a copy of the account's settings, shown in its controls
// and the preview panel `panList`; OK hands the copy to the main window, which applies and saves
// it; Cancel, Esc and the close box drop it.
class TfrmOptions final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmOptions)

public:
    TfrmOptions(AccountSession& session, AccountLists& lists);

    // Shows these settings in the controls, to be edited.
    void Edit(const AccountSettings& settings);
    // The settings as the controls now say.
    AccountSettings Edited() const;
    void EnableStarOptions(bool enabled);

    void butOkClick();
    void butCancelClick();
    void butColorClick();
    void SpeedButton1Click();
    void rbBriefClick();
    void rbFullClick();
    void butHelpClick();

private:
    QCheckBox* AddCheck(QWidget* page, const char* name, const QString& caption);
    void ShowPanel();
    void SaveSettings();

    AccountSession& m_session;
    AccountLists& m_lists;
    // The copy being edited; the check boxes and radio buttons hold their part of it.
    AccountSettings m_edited;

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
