#include "gui/browser/TfrmRecord.h"

#include "gui/browser/AccountLists.h"
#include "gui/generator/TfrmPassGen.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/Clipboard.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/FieldText.h"
#include "gui/widgets/FormButton.h"
#include "gui/widgets/Pictures.h"
#include "gui/widgets/StrengthBar.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {
namespace {

// Notes keep CR LF line ends in the vault; the editor works with LF.
QString NotesForEditor(std::string_view notes)
{
    return FromCodePage(notes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString NotesForVault(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

} // namespace

TfrmRecord::TfrmRecord(AccountSession& session, AccountLists& lists, QWidget& owner, TfrmPassGen& passGen)
    : QDialog(&owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_session(session), m_lists(lists),
      m_passGen(passGen)
{
    setObjectName(QStringLiteral("frmRecord"));

    const auto label = [this](const char* name, const QString& caption, QWidget* buddy) {
        auto* text = new QLabel(caption, this);
        text->setObjectName(QLatin1String(name));
        text->setBuddy(buddy);
        return text;
    };
    const auto edit = [this](const char* name) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QLatin1String(name));
        GuardCodePageInput(field, [this](char32_t c) { m_session.ReportRefusedCharacter(c); });
        return field;
    };
    const auto speed = [this](const char* name, const QIcon& icon, const QString& hint) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setIcon(icon);
        button->setIconSize(QSize(16, 16));
        button->setToolTip(hint);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus); // speed buttons take no focus
        return button;
    };
    const QString copyHint = QStringLiteral("Скопировать в буфер обмена");
    const QIcon copyIcon = ToolbarGlyph(Glyph::Copy);

    m_edName = edit("edName");
    m_edLogin = edit("edLogin");
    m_edId = edit("edId");
    m_edPass = edit("edPass");
    m_edURL = edit("edURL");
    m_edNotes = new QPlainTextEdit(this);
    m_edNotes->setObjectName(QStringLiteral("edNotes"));
    m_edNotes->setTabChangesFocus(true);
    m_edNotes->setMinimumHeight(113);

    QToolButton* butCopyLogin = speed("butCopyLogin", copyIcon, copyHint);
    QToolButton* butId = speed("butId", copyIcon, copyHint);
    QToolButton* butGenPass =
        speed("butGenPass", ToolbarGlyph(Glyph::Generator), QStringLiteral("Сгенерировать пароль"));
    QToolButton* butCopyPass = speed("butCopyPass", copyIcon, copyHint);
    QToolButton* butNavigate =
        speed("butNavigate", style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Открыть в броузере"));
    QToolButton* butCopyURl = speed("butCopyURl", copyIcon, copyHint);

    m_butOK = FormButton(this, "butOK", QStringLiteral("Добавить"));
    m_butOK->setDefault(true);
    QPushButton* butCancel = FormButton(this, "butCancel", QStringLiteral("Отмена"));

    const auto row = [](std::initializer_list<QWidget*> widgets) {
        auto* line = new QHBoxLayout;
        line->setSpacing(0);
        for (QWidget* widget : widgets) {
            line->addWidget(widget, widget->inherits("QLineEdit") ? 1 : 0);
        }
        return line;
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(3);
    grid->addWidget(label("labName", QStringLiteral("Имя для отображения"), m_edName), 0, 0, 1, 2);
    grid->addWidget(m_edName, 1, 0, 1, 2);
    grid->addWidget(label("labLogin", QStringLiteral("Логин"), m_edLogin), 2, 0);
    grid->addWidget(label("labID", QStringLiteral("ID номер"), m_edId), 2, 1);
    grid->addLayout(row({m_edLogin, butCopyLogin}), 3, 0);
    grid->addLayout(row({m_edId, butId}), 3, 1);
    grid->addWidget(label("labPassword", QStringLiteral("Пароль"), m_edPass), 4, 0, 1, 2);
    grid->addLayout(row({m_edPass, butGenPass, butCopyPass}), 5, 0, 1, 2);
    // The record's own texts are an attacker's first guesses.
    grid->addWidget(new StrengthBar(this, session.Lang(), *m_edPass,
                                    [this] {
                                        return QStringList{m_edName->text(), m_edLogin->text(), m_edURL->text()};
                                    }),
                    6, 0, 1, 2);
    grid->addWidget(label("labUrl", QStringLiteral("URL"), m_edURL), 7, 0, 1, 2);
    grid->addLayout(row({m_edURL, butNavigate, butCopyURl}), 8, 0, 1, 2);
    grid->addWidget(label("labNotes", QStringLiteral("Заметки"), m_edNotes), 9, 0, 1, 2);
    grid->addWidget(m_edNotes, 10, 0, 1, 2);
    for (const int spaced : {2, 4, 7, 9}) {
        grid->setRowMinimumHeight(spaced, 24);
        grid->setAlignment(grid->itemAtPosition(spaced, 0)->widget(), Qt::AlignBottom);
    }
    grid->setAlignment(grid->itemAtPosition(2, 1)->widget(), Qt::AlignBottom);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_butOK);
    buttons->addWidget(butCancel);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 14);
    layout->setSpacing(14);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    setMinimumWidth(333);
    resize(333, 393);

    setTabOrder(m_edName, m_edLogin);
    setTabOrder(m_edLogin, m_edId);
    setTabOrder(m_edId, m_edPass);
    setTabOrder(m_edPass, m_edURL);
    setTabOrder(m_edURL, m_edNotes);
    setTabOrder(m_edNotes, m_butOK);
    setTabOrder(m_butOK, butCancel);

    connect(m_butOK, &QPushButton::clicked, this, &TfrmRecord::butOKClick);
    connect(butCancel, &QPushButton::clicked, this, &TfrmRecord::butCancelClick);
    connect(butCopyLogin, &QToolButton::clicked, this, &TfrmRecord::butCopyLoginClick);
    connect(butId, &QToolButton::clicked, this, &TfrmRecord::butIdClick);
    connect(butCopyPass, &QToolButton::clicked, this, &TfrmRecord::butCopyPassClick);
    connect(butCopyURl, &QToolButton::clicked, this, &TfrmRecord::butCopyURlClick);
    connect(butNavigate, &QToolButton::clicked, this, &TfrmRecord::butNavigateClick);
    connect(butGenPass, &QToolButton::clicked, this, &TfrmRecord::butGenPassClick);
}

TfrmRecord::~TfrmRecord()
{
    m_passGen.ReleaseOwner(*this);
}

void TfrmRecord::SetTask(Mode mode, std::uint16_t folderIndex, std::string recordKey)
{
    // One dialog serves every task: a record still shown for viewing must not take the next.
    if (isVisible()) {
        done(Rejected);
    }
    m_dialogMode = mode;
    m_folderIndex = folderIndex;
    m_recordKey = std::move(recordKey);
    FormShow();
}

void TfrmRecord::RunTask(Mode mode, std::uint16_t folderIndex, std::string recordKey)
{
    SetTask(mode, folderIndex, std::move(recordKey));
    setModal(true);
    m_session.Services().dialogs.RunModal(*this);
}

void TfrmRecord::View(std::uint16_t folderIndex, std::string recordKey)
{
    SetTask(ViewRecord, folderIndex, std::move(recordKey));
    setModal(false);
    show();
    raise();
    activateWindow();
}

void TfrmRecord::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TfrmRecord::FormShow()
{
    const TAccount& account = m_session.Account();
    const TFolderType* folder = m_folderIndex < account.FolderCount() ? &account.Folder(m_folderIndex) : nullptr;
    // A record that no longer exists shows empty fields.
    const TRecType* record = folder != nullptr && m_dialogMode != NewRecord ? folder->FindRecord(m_recordKey) : nullptr;
    const TRecType empty;
    const TRecType& shown = record != nullptr ? *record : empty;
    m_edName->setText(FromCodePage(shown.Name()));
    m_edURL->setText(FromCodePage(shown.URL()));
    m_edLogin->setText(FromCodePage(shown.Login()));
    m_edId->setText(FromCodePage(shown.IDNumber()));
    m_edPass->setText(FromCodePage(shown.Password()));
    m_edNotes->setPlainText(NotesForEditor(shown.Notes()));

    const char* suffix = m_dialogMode == NewRecord    ? "const_new_rec"
                         : m_dialogMode == EditRecord ? "const_edit_rec"
                                                      : "const_view_rec";
    const char* button = m_dialogMode == NewRecord    ? "const_add"
                         : m_dialogMode == EditRecord ? "const_edit"
                                                      : "const_view";
    setWindowTitle((folder != nullptr ? FromCodePage(folder->Name) : QString()) + m_session.Message(suffix));
    m_butOK->setText(m_session.Message(button));
    m_edName->setFocus();
}

bool TfrmRecord::CheckName()
{
    if (IsBlankField(m_edName->text())) {
        m_session.ShowMessageBox(m_session.Message("const_f_capt"), MessageKind::Information);
        return false;
    }
    return true;
}

void TfrmRecord::butOKClick()
{
    if (!CheckName()) {
        return;
    }
    if (m_dialogMode == ViewRecord) {
        accept(); // a record shown for viewing is never stored
        return;
    }
    std::array<CodePageBytes, 6> fields = {
        ToCodePage(m_edName->text()),  ToCodePage(m_edURL->text()),
        ToCodePage(m_edLogin->text()), ToCodePage(m_edId->text()),
        ToCodePage(m_edPass->text()),  ToCodePage(NotesForVault(m_edNotes->toPlainText()))};
    for (const CodePageBytes& field : fields) {
        if (field.refused) {
            m_session.ReportRefusedCharacter(*field.refused);
            return;
        }
    }
    TAccount& account = m_session.Account();
    if (m_folderIndex >= account.FolderCount()) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_folder"), MessageKind::Information);
        return;
    }
    TFolderType& folder = account.Folder(m_folderIndex);
    int row = 0;
    if (m_dialogMode == EditRecord) {
        folder.EditRecord(m_recordKey, std::move(fields[0].bytes), std::move(fields[1].bytes),
                          std::move(fields[2].bytes), std::move(fields[3].bytes), std::move(fields[4].bytes),
                          std::move(fields[5].bytes));
        row = m_lists.SelectedRow(m_lists.RecordList());
    } else {
        try {
            folder.AddRecord(std::move(fields[0].bytes), std::move(fields[1].bytes), std::move(fields[2].bytes),
                             std::move(fields[3].bytes), std::move(fields[4].bytes), std::move(fields[5].bytes));
        } catch (const VaultLimitError&) {
            m_session.ShowMessageBox(m_session.Message("const_full_folder"), MessageKind::Information);
            return;
        }
        row = folder.Count() - 1;
    }
    account.Modified = true;
    m_session.AccountChanged();

    QTableView* records = m_lists.RecordList();
    m_lists.FillRecordList(false);
    if (row >= 0) {
        m_lists.SelectRow(records, row);
        m_lists.FocusRow(records, row);
    }
    records->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    records->viewport()->update();
    accept();
}

void TfrmRecord::butCancelClick()
{
    reject();
}

void TfrmRecord::CopyField(const QLineEdit& field)
{
    CopyToClipboard(m_session.Services().clipboard, field.text());
}

void TfrmRecord::butCopyLoginClick()
{
    CopyField(*m_edLogin);
}

void TfrmRecord::butIdClick()
{
    CopyField(*m_edId);
}

void TfrmRecord::butCopyPassClick()
{
    CopyField(*m_edPass);
}

void TfrmRecord::butCopyURlClick()
{
    CopyField(*m_edURL);
}

void TfrmRecord::butNavigateClick()
{
    if (m_edURL->text().isEmpty()) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_url"), MessageKind::Information);
        return;
    }
    m_session.OpenStoredUrl(m_edURL->text());
}

void TfrmRecord::butGenPassClick()
{
    m_passGen.ShowForRecord(*this, *m_edPass);
}

void TfrmRecord::done(int result)
{
    // The generator writes into this window only while it is open.
    m_passGen.ReleaseOwner(*this);
    QDialog::done(result);
}

} // namespace velmora
