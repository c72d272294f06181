#include "gui/account/TfrmUser.h"

#include "core/account/AccountDirectory.h"
#include "core/account/AccountFiles.h"
#include "core/generator/PasswordStrength.h"
#include "core/os/FileExists.h"
#include "gui/account/ConfirmPassword.h"
#include "gui/account/ReportFilesLeft.h"
#include "gui/account/ReportRefusedName.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/FieldText.h"
#include "gui/widgets/FormButton.h"
#include "gui/widgets/PasswordField.h"
#include "gui/widgets/StrengthBar.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace velmora {
namespace {

// A new name that differs only in letter case names the same files on a disk that ignores case:
// deleting the "other" files would delete the account.
bool SameAccountFiles(const std::filesystem::path& programDir, std::string_view a, std::string_view b)
{
    std::error_code error;
    return a == b || std::filesystem::equivalent(AccountFilePath(programDir, a, kAccountExtension),
                                                 AccountFilePath(programDir, b, kAccountExtension), error);
}

constexpr int kMaxHintLength = 32;

} // namespace

TfrmUser::TfrmUser(AccountSession& session, QWidget& owner)
    : QDialog(&owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_session(session),
      m_reportRefused([&session](char32_t c) { session.ReportRefusedCharacter(c); })
{
    setObjectName(QStringLiteral("frmUser"));
    setWindowTitle(QStringLiteral("Название и пароль к аккаунту"));
    setModal(true);

    const auto field = [this](const char* name, const char* labelName, const QString& caption, QFormLayout& form) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setMinimumWidth(260);
        auto* label = new QLabel(caption, this);
        label->setObjectName(QLatin1String(labelName));
        label->setBuddy(edit);
        form.addRow(label, edit);
        GuardCodePageInput(edit, m_reportRefused);
        return edit;
    };
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_edName = field("edName", "labName", QStringLiteral("Название аккаунта"), *form);
    m_edPass1 = field("edPass1", "labPass1", QStringLiteral("Пароль"), *form);
    m_edPass2 = field("edPass2", "labPass2", QStringLiteral("Пароль (подтверждение)"), *form);
    m_edHint = field("edHint", "labHint", QStringLiteral("Подсказка к паролю"), *form);
    m_strength = new StrengthBar(this, session.Lang(), *m_edPass1, [this] { return QStringList{m_edName->text()}; });
    form->insertRow(2, static_cast<QWidget*>(nullptr), m_strength);
    for (QLineEdit* password : {m_edPass1, m_edPass2}) {
        MakePasswordField(password);
        password->setMaxLength(kMaxAccountPasswordLength);
    }
    m_edHint->setMaxLength(kMaxHintLength);

    m_butOk = FormButton(this, "butOk", QStringLiteral("Изменить"));
    m_butOk->setDefault(true);
    m_butCancel = FormButton(this, "butCancel", QStringLiteral("Отмена"));
    m_butHelp = FormButton(this, "butHelp", QStringLiteral("Справка"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_butHelp);
    buttons->addStretch(1);
    buttons->addWidget(m_butOk);
    buttons->addWidget(m_butCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(14);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_butOk, &QPushButton::clicked, this, &TfrmUser::butOkClick);
    connect(m_butCancel, &QPushButton::clicked, this, &TfrmUser::butCancelClick);
    connect(m_butHelp, &QPushButton::clicked, this, &TfrmUser::butHelpClick);
}

void TfrmUser::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TfrmUser::FormShow()
{
    const TAccount& account = m_session.Account();
    // Against a sealed account every guess costs the attacker one key derivation.
    m_strength->SetGuessesPerSecond(account.IsSealed() && account.Seal()->DerivationSeconds() > 0
                                        ? 1 / account.Seal()->DerivationSeconds()
                                        : kPlainGuessesPerSecond);
    m_edName->setText(FromCodePage(account.Name));
    m_edPass1->setText(FromCodePage(account.Password));
    m_edPass2->setText(m_edPass1->text());
    std::string hint;
    try {
        hint = ReadAccountHint(m_session.UserFilesDir(), account.Name);
    } catch (const std::exception& failure) {
        m_session.ReportFailure(failure);
    }
    m_edHint->setText(FromCodePage(hint));
    m_edName->setFocus();
}

bool TfrmUser::CheckFields(const std::string& name)
{
    const std::string& oldName = m_session.Account().Name;
    const NameTrouble trouble = FindNameTrouble(m_session.UserFilesDir(), name, oldName);
    // An account in other letter case would be this very account on a disk that ignores case.
    if ((name != oldName && FileExists(AccountFilePath(m_session.UserFilesDir(), name, kAccountExtension))) ||
        trouble == NameTrouble::OtherCase) {
        m_session.ShowMessageBox(m_session.Message("const_is_user") + QLatin1Char('\r') +
                                     m_session.Message("const_new_name"),
                                 MessageKind::Warning);
        return false;
    }
    if (ReportRefusedName(m_session, name, trouble)) {
        return false;
    }
    if (!AccountNameFits(name)) {
        m_session.ShowMessageBox(m_session.Message("const_long_name"), MessageKind::Warning);
        return false;
    }
    return true;
}

void TfrmUser::butOkClick()
{
    if (IsBlanksOnly(m_edName->text())) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_name"), MessageKind::Information);
        return;
    }
    if (IsBlanksOnly(m_edPass1->text())) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_pass"), MessageKind::Information);
        return;
    }
    if (m_edPass1->text() != m_edPass2->text()) {
        m_session.ShowMessageBox(m_session.Message("const_2pass"), MessageKind::Warning);
        return;
    }
    auto name = FieldBytes(m_edName->text(), m_reportRefused);
    auto password = name ? FieldBytes(m_edPass1->text(), m_reportRefused) : std::nullopt;
    if (!password || !CheckFields(*name)) {
        return;
    }
    // A password kept as it was was confirmed when it was set; the hint may have changed.
    const bool newPassword = *password != m_session.Account().Password;
    if ((newPassword && !ConfirmWeakAccountPassword(m_session, *password, {*name}, m_strength->GuessesPerSecond())) ||
        !ConfirmRevealingHint(m_session, ToCodePage(m_edHint->text().trimmed()).bytes, *password)) {
        return;
    }
    const std::string oldName = m_session.Account().Name;
    if (!SaveUnderNewName(*name, std::move(*password))) {
        return;
    }
    // The new files are written; only now do the old ones go, so a failure above never
    // leaves the account without files.
    if (!SameAccountFiles(m_session.UserFilesDir(), *name, oldName)) {
        const std::vector<std::filesystem::path> left = DeleteAccountFiles(m_session.UserFilesDir(), oldName);
        if (!left.empty()) {
            ReportFilesLeft(m_session, left);
        }
    }
    if (!StoreHint(*name)) {
        return;
    }
    m_session.ShowMessageBox(m_session.Message("const_succ"), MessageKind::Information);
    accept();
}

bool TfrmUser::SaveUnderNewName(std::string name, std::string password)
{
    TAccount& account = m_session.Account();
    std::string oldName = std::exchange(account.Name, std::move(name));
    std::string oldPassword = std::exchange(account.Password, std::move(password));
    std::optional<SealKey> oldSeal = account.Seal();
    account.SealUnderPassword();
    m_session.AccountOpened();
    // A new name's files may be half written (the account file without its settings): they go,
    // and the old files, still there, stay in use, so a later save cannot make a second account.
    const auto keepOldName = [&] {
        if (!SameAccountFiles(m_session.UserFilesDir(), account.Name, oldName)) {
            DeleteAccountFiles(m_session.UserFilesDir(), account.Name);
        }
        account.Name = std::move(oldName);
        account.Password = std::move(oldPassword);
        account.SetSeal(std::move(oldSeal));
        m_session.AccountOpened();
    };
    try {
        if (m_session.SaveAccount()) {
            return true;
        }
    } catch (const std::exception& failure) {
        keepOldName();
        m_session.ReportFailure(failure);
        return false;
    }
    keepOldName();
    return false;
}

bool TfrmUser::StoreHint(const std::string& name)
{
    m_edHint->setText(m_edHint->text().trimmed());
    const auto hint = FieldBytes(m_edHint->text(), m_reportRefused);
    if (!hint) {
        return false;
    }
    const std::filesystem::path file = AccountFilePath(m_session.UserFilesDir(), name, kHintExtension);
    try {
        if (hint->empty()) {
            std::error_code error;
            if (!std::filesystem::remove(file, error) && error) {
                throw std::filesystem::filesystem_error("Cannot delete file", file, error);
            }
        } else {
            WriteAccountHint(file, *hint);
        }
    } catch (const std::exception& failure) {
        m_session.ReportFailure(failure);
        return false;
    }
    return true;
}

void TfrmUser::butCancelClick()
{
    reject();
}

void TfrmUser::butHelpClick()
{
    m_session.ShowHelp();
}

} // namespace velmora
