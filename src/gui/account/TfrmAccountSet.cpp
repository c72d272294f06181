#include "gui/account/TfrmAccountSet.h"

#include "core/account/AccountBackup.h"
#include "core/account/AccountDirectory.h"
#include "core/account/AccountSeal.h"
#include "core/os/FileExists.h"
#include "gui/account/ConfirmPassword.h"
#include "gui/account/ReportRefusedName.h"
#include "gui/browser/AccountLists.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/FieldText.h"
#include "gui/widgets/FormButton.h"
#include "gui/widgets/PasswordField.h"
#include "gui/widgets/PasswordHint.h"
#include "gui/widgets/Pictures.h"
#include "gui/widgets/StrengthBar.h"
#include "gui/widgets/SuffixDelegate.h"
#include "gui/widgets/WindowPlacement.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {

TfrmAccountSet::TfrmAccountSet(AccountSession& session, AccountLists& lists, QWidget& window)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      m_session(session), m_lists(lists), m_window(window),
      m_reportRefused([&session](char32_t c) { session.ReportRefusedCharacter(c); }),
      m_endProgram([] { QCoreApplication::exit(0); })
{
    setObjectName(QStringLiteral("frmAccountSet"));
    setWindowTitle(QStringLiteral("Выбор аккаунта"));
    setWindowIcon(ApplicationIcon());
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(ApplicationIcon().pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* labUser = new QLabel(QStringLiteral("Аккаунт"), this);
    labUser->setObjectName(QStringLiteral("labUser"));
    m_edUser = new QComboBox(this);
    m_edUser->setObjectName(QStringLiteral("edUser"));
    m_edUser->setEditable(true);
    m_edUser->setInsertPolicy(QComboBox::NoInsert);
    m_edUser->setMinimumWidth(240);
    m_userListLook = new SuffixDelegate(m_edUser);
    m_edUser->setItemDelegate(m_userListLook);
    labUser->setBuddy(m_edUser);

    auto* labPass = new QLabel(QStringLiteral("Пароль"), this);
    labPass->setObjectName(QStringLiteral("labPass"));
    m_edPass = new QLineEdit(this);
    m_edPass->setObjectName(QStringLiteral("edPass"));
    MakePasswordField(m_edPass);
    m_edPass->setMaxLength(kMaxAccountPasswordLength);
    labPass->setBuddy(m_edPass);

    m_butHint = new QToolButton(this);
    m_butHint->setObjectName(QStringLiteral("butHint"));
    m_butHint->setAutoRaise(true);
    m_butHint->setIcon(ToolbarGlyph(Glyph::Hint));
    m_butHint->setIconSize(QSize(20, 20));
    m_butHint->setToolTip(QStringLiteral("Показать подсказку"));
    m_butHint->setFocusPolicy(Qt::NoFocus);

    m_butNew = FormButton(this, "butNew", QStringLiteral("Создать"));
    m_butOk = FormButton(this, "butOk", QStringLiteral("ОК"));
    m_butOk->setDefault(true);
    m_butExit = FormButton(this, "butExit", QStringLiteral("Выход"));
    m_butHelp = FormButton(this, "butHelp", QStringLiteral("Справка"));

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(8);
    fields->addWidget(labUser, 0, 0);
    fields->addWidget(m_edUser, 0, 1, 1, 2);
    fields->addWidget(labPass, 1, 0);
    fields->addWidget(m_edPass, 1, 1);
    fields->addWidget(m_butHint, 1, 2);
    m_strength =
        new StrengthBar(this, session.Lang(), *m_edPass, [this] { return QStringList{m_edUser->currentText()}; });
    fields->addWidget(m_strength, 2, 1, 1, 2);
    fields->setColumnStretch(1, 1);

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(picture);
    top->addLayout(fields, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_butHelp);
    buttons->addStretch(1);
    buttons->addWidget(m_butNew);
    buttons->addWidget(m_butOk);
    buttons->addWidget(m_butExit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(14);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // the dialog cannot be resized

    GuardCodePageInput(m_edUser, m_reportRefused);
    GuardCodePageInput(m_edPass, m_reportRefused);

    connect(m_butOk, &QPushButton::clicked, this, &TfrmAccountSet::butOkClick);
    connect(m_butNew, &QPushButton::clicked, this, &TfrmAccountSet::butNewClick);
    connect(m_butHint, &QToolButton::clicked, this, &TfrmAccountSet::butHintClick);
    connect(m_butExit, &QPushButton::clicked, this, &TfrmAccountSet::butExitClick);
    connect(m_butHelp, &QPushButton::clicked, this, &TfrmAccountSet::butHelpClick);
}

void TfrmAccountSet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TfrmAccountSet::FormShow()
{
    m_edUser->clear();
    m_edUser->setEditText(QString());
    m_edPass->clear();
    // An import cut off by a crash left the account only as its backup: bring it back first.
    RecoverUnfinishedImports(m_session.UserFilesDir());
    m_userListLook->SetSuffix(m_session.Message("const_sealed_suffix"));
    for (const std::string& name : ListAccounts(m_session.UserFilesDir())) {
        m_edUser->addItem(FromCodePage(name));
        m_edUser->setItemData(m_edUser->count() - 1, AccountIsSealed(m_session.UserFilesDir(), name),
                              SuffixDelegate::kMarkedRole);
    }
    m_edUser->setCurrentIndex(-1); // no name preselected
    m_edUser->setEditText(QString());
    m_edUser->setFocus();
    m_accountOpened = false;
}

bool TfrmAccountSet::CheckCredentials()
{
    if (IsBlanksOnly(m_edUser->currentText())) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_name"), MessageKind::Information);
        return false;
    }
    if (IsBlanksOnly(m_edPass->text())) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_pass"), MessageKind::Information);
        return false;
    }
    auto name = FieldBytes(m_edUser->currentText(), m_reportRefused);
    auto password = name ? FieldBytes(m_edPass->text(), m_reportRefused) : std::nullopt;
    if (!password) {
        return false;
    }
    // Both untrimmed: blanks around an accepted name or password are part of it.
    m_session.Account().Name = std::move(*name);
    m_session.Account().Password = std::move(*password);
    m_session.AccountOpened();
    return true;
}

void TfrmAccountSet::butOkClick()
{
    if (!CheckCredentials()) {
        return;
    }
    // A directory there would read as no account, and then as one that exists already.
    if (ReportAccountFileIsNoFile()) {
        return;
    }
    TAccount& account = m_session.Account();
    // Taken before the read, so a save by another program during it is noticed too.
    m_session.RememberAccountFile();
    const ReadResult result = account.LoadFromFile(m_session.AccountFile(kAccountExtension));
    // Centred whatever the outcome; it only appears once an account is open.
    CentreOnScreen(m_window);
    if (result != ReadResult::Ok && result != ReadResult::NoFile) {
        // What was read before the fault is no account: nothing of it stays, and nothing is saved.
        CloseAccount();
    }
    switch (result) {
    case ReadResult::Ok:
        m_session.SetOpen();
        m_session.LoadAndApplySettings();
        ShowOpenedAccount(true);
        break;
    case ReadResult::NoFile:
        if (m_session.Services().messages.AskYesNo(m_session.FormatMessage("const_new_user", {account.Name, "\r"})) ==
            Answer::Yes) {
            butNewClick();
        }
        break;
    case ReadResult::BadCheckLine:
        m_session.ShowMessageBox(m_session.Message("const_wrong_pass"), MessageKind::Error);
        break;
    case ReadResult::BadFolderBlock:
        m_session.ShowMessageBox(m_session.Message("const_err"), MessageKind::Error);
        break;
    case ReadResult::SealChanged:
        m_session.ShowMessageBox(m_session.Message("const_sealed_changed"), MessageKind::Error);
        break;
    case ReadResult::Failed:
        m_session.ShowMessageBox(m_session.Message("const_failed"), MessageKind::Error);
        break;
    }
}

void TfrmAccountSet::CloseAccount()
{
    m_session.CloseAccount();
    m_lists.FillFolderList(false);
    m_lists.FillRecordList(false);
    m_session.AccountChanged();
}

void TfrmAccountSet::ShowOpenedAccount(bool selectFirstFolder)
{
    m_lists.FillFolderList(!selectFirstFolder);
    m_accountOpened = true;
    if (m_session.Account().FolderCount() > 0) {
        if (selectFirstFolder) {
            m_lists.FocusRow(m_lists.FolderList(), 0);
        }
        m_lists.SelectRow(m_lists.FolderList(), 0);
    }
    if (selectFirstFolder && m_session.Account().FolderCount() == 0) {
        // Selecting the first folder lists its records; without folders, the list is emptied
        // here, so no rows of an earlier account stay on the screen.
        m_lists.FillRecordList(false);
    }
    accept();
    m_window.show();
    // Arrow keys and typing go to the folders, not to a tool bar button.
    m_lists.FolderList()->setFocus();
}

bool TfrmAccountSet::ReportAccountFileIsNoFile()
{
    const std::filesystem::path file = m_session.AccountFile(kAccountExtension);
    if (!OtherThanRegularFileAt(file)) {
        return false;
    }
    QString text = m_session.Message("const_not_a_file");
    text.replace(QLatin1String("%s"), QString::fromStdU16String(file.u16string()));
    m_session.ShowMessageBox(text, MessageKind::Error);
    return true;
}

void TfrmAccountSet::butNewClick()
{
    if (!CheckCredentials() || ReportAccountFileIsNoFile()) {
        return;
    }
    TAccount& account = m_session.Account();
    const NameTrouble trouble = FindNameTrouble(m_session.UserFilesDir(), account.Name);
    // An account in other letter case would be this very account on a disk that ignores case.
    if (FileExists(m_session.AccountFile(kAccountExtension)) || trouble == NameTrouble::OtherCase) {
        m_session.ShowMessageBox(m_session.Message("const_is_user") + QLatin1Char('\r') +
                                     m_session.Message("const_new_name"),
                                 MessageKind::Information);
        return;
    }
    if (ReportRefusedName(m_session, account.Name, trouble)) {
        return;
    }
    if (!AccountNameFits(account.Name)) {
        m_session.ShowMessageBox(m_session.Message("const_long_name"), MessageKind::Error);
        return;
    }
    if (!ConfirmWeakAccountPassword(m_session, account.Password, {account.Name}, m_strength->GuessesPerSecond())) {
        return;
    }
    account.Clear();
    account.AddFolder("Default folder", 0);
    m_session.SetOpen();
    try {
        m_session.SaveAccount();
    } catch (const std::exception& failure) {
        // Nothing was created: stay here with no account.
        CloseAccount();
        m_session.ReportFailure(failure);
        return;
    }
    ShowOpenedAccount(false);
}

void TfrmAccountSet::butHintClick()
{
    const auto name = FieldBytes(m_edUser->currentText(), m_reportRefused);
    if (!name) {
        return;
    }
    std::string hint;
    try {
        hint = ReadAccountHint(m_session.UserFilesDir(), *name);
    } catch (const std::exception& failure) {
        m_session.ReportFailure(failure);
        return;
    }
    if (!hint.empty()) {
        ShowPasswordHint(m_edPass, FromCodePage(hint));
    }
}

void TfrmAccountSet::butExitClick()
{
    m_accountOpened = false;
    MoveOffScreen(m_window); // so it cannot flash up while the program ends
    QDialog::reject();
}

void TfrmAccountSet::butHelpClick()
{
    m_session.ShowHelp();
}

void TfrmAccountSet::reject()
{
    butExitClick();
}

void TfrmAccountSet::closeEvent(QCloseEvent* event)
{
    // Alt+F4 closes without the Exit button's steps.
    event->accept();
    done(Rejected);
}

void TfrmAccountSet::done(int result)
{
    QDialog::done(result);
    FormClose();
}

void TfrmAccountSet::FormClose()
{
    if (!m_accountOpened) {
        m_endProgram();
    }
}

} // namespace velmora
