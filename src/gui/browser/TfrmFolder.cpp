#include "gui/browser/TfrmFolder.h"

#include "gui/browser/AccountLists.h"
#include "gui/browser/FolderIconTable.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/FormButton.h"
#include "gui/widgets/Pictures.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

namespace velmora {

TfrmFolder::TfrmFolder(AccountSession& session, AccountLists& lists, QWidget& owner)
    : QDialog(&owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_session(session), m_lists(lists)
{
    setObjectName(QStringLiteral("frmFolder"));
    setWindowTitle(QStringLiteral("Новая папка"));
    setModal(true);

    auto* labName = new QLabel(QStringLiteral("Название папки"), this);
    labName->setObjectName(QStringLiteral("labName"));
    m_edName = new QLineEdit(this);
    m_edName->setObjectName(QStringLiteral("edName"));
    labName->setBuddy(m_edName);
    GuardCodePageInput(m_edName, [this](char32_t c) { m_session.ReportRefusedCharacter(c); });

    auto* labIcon = new QLabel(QStringLiteral("Иконка"), this);
    labIcon->setObjectName(QStringLiteral("labIcon"));
    m_table = new FolderIconTable(FolderIcons(), this);
    m_table->SetOnRelease([this](int x, int y) { TableMouseUp(x, y); });

    m_butOk = FormButton(this, "butOk", QStringLiteral("Создать"));
    m_butOk->setDefault(true);
    QPushButton* butCancel = FormButton(this, "butCancel", QStringLiteral("Отмена"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_butOk);
    buttons->addWidget(butCancel);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(4);
    layout->addWidget(labName);
    layout->addWidget(m_edName);
    layout->addSpacing(10);
    layout->addWidget(labIcon);
    layout->addWidget(m_table);
    layout->addSpacing(14);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_butOk, &QPushButton::clicked, this, &TfrmFolder::butOkClick);
    connect(butCancel, &QPushButton::clicked, this, &TfrmFolder::butCancelClick);
}

void TfrmFolder::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TfrmFolder::FormShow()
{
    const TAccount& account = m_session.Account();
    if (FolderIndex != -1 && static_cast<std::size_t>(FolderIndex) < account.FolderCount()) {
        const TFolderType& folder = account.Folder(static_cast<std::size_t>(FolderIndex));
        setWindowTitle(m_session.Message("const_edit_folder"));
        m_butOk->setText(m_session.Message("const_edit"));
        m_edName->setText(FromCodePage(folder.Name));
        IconIndex = folder.ImageIndex;
    } else {
        FolderIndex = -1;
        setWindowTitle(m_session.Message("const_new_folder"));
        m_butOk->setText(m_session.Message("const_create"));
        m_edName->clear();
        IconIndex = 0;
    }
    m_table->SetFramedIndex(IconIndex);
    m_edName->setFocus();
}

void TfrmFolder::TableMouseUp(int x, int y)
{
    // Only the 250 x 50 pixels inside the outer grid lines hold cells.
    if (x < 0 || x >= FolderIconTable::kColumns * FolderIconTable::kCell || y < 0 ||
        y >= FolderIconTable::kRows * FolderIconTable::kCell) {
        return;
    }
    IconIndex = FolderIconTable::CellAt(x, y);
    m_table->SetFramedIndex(IconIndex);
}

void TfrmFolder::butOkClick()
{
    if (m_edName->text().trimmed().isEmpty()) {
        m_session.ShowMessageBox(m_session.Message("const_f_caption"), MessageKind::Information);
        return;
    }
    if (IconIndex < 0 || IconIndex >= m_table->IconCount()) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_icon"), MessageKind::Information);
        return;
    }
    CodePageBytes name = ToCodePage(m_edName->text());
    if (name.refused) {
        m_session.ReportRefusedCharacter(*name.refused);
        return;
    }
    TAccount& account = m_session.Account();
    int row = 0;
    if (FolderIndex != -1) {
        row = m_lists.SelectedRow(m_lists.FolderList());
        account.EditFolder(static_cast<std::size_t>(FolderIndex), std::move(name.bytes), IconIndex);
    } else {
        try {
            account.AddFolder(std::move(name.bytes), IconIndex);
        } catch (const VaultLimitError&) {
            m_session.ShowMessageBox(m_session.Message("const_many_folders"), MessageKind::Information);
            return;
        }
        row = static_cast<int>(account.FolderCount()) - 1;
    }
    accept();
    m_lists.FillFolderList(false);
    if (row >= 0) {
        m_lists.FocusRow(m_lists.FolderList(), row);
        m_lists.SelectRow(m_lists.FolderList(), row);
    }
    m_lists.FillRecordList(false);
}

void TfrmFolder::butCancelClick()
{
    reject();
}

} // namespace velmora
