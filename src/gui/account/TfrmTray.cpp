#include "gui/account/TfrmTray.h"

#include "gui/session/AccountSession.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/FormButton.h"
#include "gui/widgets/PasswordField.h"
#include "gui/widgets/Pictures.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

TfrmTray::TfrmTray(AccountSession& session, Actions actions)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      m_session(session), m_actions(std::move(actions))
{
    setObjectName(QStringLiteral("frmTray"));
    setWindowIcon(ApplicationIcon());

    m_labInfo = new QLabel(QStringLiteral("Введите пароль к аккаунту:"), this);
    m_labInfo->setObjectName(QStringLiteral("labInfo"));
    m_edPass = new QLineEdit(this);
    m_edPass->setObjectName(QStringLiteral("edPass"));
    m_edPass->setMinimumWidth(260);
    MakePasswordField(m_edPass);
    m_labInfo->setBuddy(m_edPass);
    GuardCodePageInput(m_edPass, [this](char32_t c) { m_session.ReportRefusedCharacter(c); });

    m_butOk = FormButton(this, "butOk", QStringLiteral("ОК"));
    m_butOk->setDefault(true);
    m_butCancel = FormButton(this, "butCancel", QStringLiteral("Отмена"));
    m_butExit = FormButton(this, "butExit", QStringLiteral("Выход"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_butExit);
    buttons->addStretch(1);
    buttons->addWidget(m_butOk);
    buttons->addWidget(m_butCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(8);
    layout->addWidget(m_labInfo);
    layout->addWidget(m_edPass);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_butOk, &QPushButton::clicked, this, &TfrmTray::butOkClick);
    connect(m_butCancel, &QPushButton::clicked, this, &TfrmTray::butCancelClick);
    connect(m_butExit, &QPushButton::clicked, this, &TfrmTray::butExitClick);
}

void TfrmTray::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Coming back from the taskbar keeps what was typed.
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TfrmTray::FormShow()
{
    setWindowTitle(m_session.Message("const_acc") + FromCodePage(m_session.Account().Name));
    m_edPass->clear();
    m_edPass->setFocus();
    m_canCloseTray = false;
}

void TfrmTray::butOkClick()
{
    const CodePageBytes typed = ToCodePage(m_edPass->text());
    if (typed.refused || typed.bytes != m_session.Account().Password) {
        m_session.ShowMessageBox(m_session.Message("const_wrong_pass"), MessageKind::Error);
        return;
    }
    m_edPass->clear();
    CloseByButton();
    m_actions.restore();
}

void TfrmTray::butCancelClick()
{
    m_edPass->clear();
    CloseByButton();
    m_actions.relock();
}

void TfrmTray::butExitClick()
{
    CloseByButton();
    m_actions.exit();
}

void TfrmTray::CloseByButton()
{
    m_canCloseTray = true;
    close();
}

void TfrmTray::reject()
{
    butCancelClick();
}

void TfrmTray::closeEvent(QCloseEvent* event)
{
    // Alt+F4 and the window manager's close do nothing: only the buttons leave the dialog.
    if (!m_canCloseTray) {
        event->ignore();
        return;
    }
    event->accept(); // not QDialog's, which would run reject() (Cancel) as well
}

} // namespace velmora
