#include "gui/generator/TfrmPassGen.h"

#include "gui/session/AccountSession.h"
#include "gui/widgets/Clipboard.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/FieldText.h"
#include "gui/widgets/StrengthBar.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {

TfrmPassGen::TfrmPassGen(AccountSession& session, QWidget& window)
    : QDialog(&window, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_session(session), m_window(window)
{
    setObjectName(QStringLiteral("frmPassGen"));
    setWindowTitle(QStringLiteral("Генератор паролей"));

    const auto bold = [this](const char* name, const QString& caption) {
        auto* label = new QLabel(caption, this);
        label->setObjectName(QLatin1String(name));
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        return label;
    };
    const auto check = [this](const char* name, const QString& caption) {
        auto* box = new QCheckBox(caption, this);
        box->setObjectName(QLatin1String(name));
        box->setChecked(true);
        return box;
    };
    const auto speed = [this](const char* name, const QString& caption, QSize size) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setText(caption);
        button->setMinimumSize(size);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return button;
    };
    const auto report = [this](char32_t c) { m_session.ReportRefusedCharacter(c); };

    QLabel* labUse = bold("labUse", QStringLiteral("Использовать"));
    m_stroch = check("stroch", QStringLiteral("Строчные буквы (абв)"));
    m_zagl = check("zagl", QStringLiteral("Заглавные буквы (АБВ)"));
    m_num = check("num", QStringLiteral("Цифры (0..9)"));
    m_spec = check("spec", QStringLiteral("Специальные символы:"));
    m_edSpec = new QLineEdit(FromCodePage(kDefaultSpecialCharacters), this);
    m_edSpec->setObjectName(QStringLiteral("edSpec"));
    m_edSpec->setMinimumWidth(145);
    m_edSpec->setCursorPosition(0); // the set shown from its start
    GuardCodePageInput(m_edSpec, report);

    QLabel* labLen = bold("labLen", QStringLiteral("Длина"));
    m_edLen = new QSpinBox(this);
    m_edLen->setObjectName(QStringLiteral("edLen"));
    m_edLen->setRange(0, kMaxPasswordLength);
    m_edLen->setValue(8);
    // Only the arrows (and the arrow keys) change the length.
    if (auto* text = m_edLen->findChild<QLineEdit*>()) {
        text->setReadOnly(true);
    }
    auto* labChars = new QLabel(QStringLiteral("символов"), this);
    labChars->setObjectName(QStringLiteral("labChars"));

    QToolButton* butGen = speed("butGen", QStringLiteral("Сгенерировать"), QSize(129, 25));
    QFont boldFont = butGen->font();
    boldFont.setBold(true);
    butGen->setFont(boldFont);
    m_edPass = new QLineEdit(this);
    m_edPass->setObjectName(QStringLiteral("edPass"));
    GuardCodePageInput(m_edPass, report);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);

    QToolButton* butCopy = speed("butCopy", QStringLiteral("Скопировать"), QSize(97, 26));
    m_butInsert = speed("butInsert", QStringLiteral("Вставить"), QSize(97, 26));
    QToolButton* butClose = speed("butClose", QStringLiteral("Закрыть"), QSize(97, 26));

    auto* length = new QHBoxLayout;
    length->setSpacing(6);
    length->addWidget(m_edLen);
    length->addWidget(labChars);
    length->addStretch(1);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(6);
    grid->addWidget(labUse, 0, 0);
    grid->addWidget(labLen, 0, 1);
    grid->addWidget(m_stroch, 1, 0);
    grid->addLayout(length, 1, 1);
    grid->addWidget(m_zagl, 2, 0);
    grid->addWidget(m_num, 3, 0);
    grid->addWidget(m_spec, 4, 0);
    grid->addWidget(m_edSpec, 4, 1);
    grid->setRowMinimumHeight(5, 12);
    grid->addWidget(butGen, 6, 0);
    grid->addWidget(m_edPass, 6, 1);
    grid->addWidget(new StrengthBar(this, session.Lang(), *m_edPass), 7, 1);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(7);
    buttons->addWidget(butCopy);
    buttons->addWidget(m_butInsert);
    buttons->addWidget(butClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 10);
    layout->setSpacing(8);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(bevel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(butGen, &QToolButton::clicked, this, &TfrmPassGen::butGenClick);
    connect(butCopy, &QToolButton::clicked, this, &TfrmPassGen::butCopyClick);
    connect(m_butInsert, &QToolButton::clicked, this, &TfrmPassGen::butInsertClick);
    connect(butClose, &QToolButton::clicked, this, &TfrmPassGen::butCloseClick);
}

void TfrmPassGen::ShowOver(QWidget* owner)
{
    if (isVisible()) {
        hide();
    }
    // Reparenting keeps the generator above its opener and usable beside a modal record dialog.
    if (parentWidget() != owner) {
        setParent(owner, windowFlags());
    }
}

void TfrmPassGen::ShowFromMain()
{
    ShowOver(&m_window);
    m_owner = nullptr;
    m_target = nullptr;
    m_butInsert->setEnabled(false);
    setModal(true);
    m_session.Services().dialogs.RunModal(*this);
}

void TfrmPassGen::ShowForRecord(QDialog& owner, QLineEdit& target)
{
    ShowOver(&owner);
    m_owner = &owner;
    // Window managers may raise a modal record dialog over its own transient windows.
    owner.installEventFilter(this);
    m_target = &target;
    m_butInsert->setEnabled(true);
    setModal(false);
    show();
    raise();
    activateWindow();
}

void TfrmPassGen::ReleaseOwner(QDialog& owner)
{
    if (m_owner != &owner) {
        return;
    }
    if (isVisible()) {
        reject();
    }
    owner.removeEventFilter(this);
    m_owner = nullptr;
    m_target = nullptr;
    // Back under the main window, so the record dialog never owns (and deletes) the generator.
    setParent(&m_window, windowFlags());
}

bool TfrmPassGen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner && event->type() == QEvent::WindowActivate && isVisible()) {
        raise();
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmPassGen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TfrmPassGen::FormShow()
{
    m_edPass->clear();
}

void TfrmPassGen::butGenClick()
{
    const PasswordOptions options{.LowerCase = m_stroch->isChecked(),
                                  .UpperCase = m_zagl->isChecked(),
                                  .Digits = m_num->isChecked(),
                                  .Special = m_spec->isChecked(),
                                  .SpecialCharacters = ToCodePage(m_edSpec->text()).bytes,
                                  .Length = m_edLen->value()};
    // An impossible generation (nothing to draw from, a failing random source) ends quietly
    // and leaves the previous result.
    try {
        if (const std::optional<std::string> password = GeneratePassword(options, *m_random)) {
            m_edPass->setText(FromCodePage(*password));
        }
    } catch (const std::exception&) {
    }
}

void TfrmPassGen::butCopyClick()
{
    if (m_edPass->text().isEmpty()) {
        m_session.ShowMessageBox(m_session.Message("const_gen"), MessageKind::Information);
        return;
    }
    CopyToClipboard(m_session.Services().clipboard, m_edPass->text());
}

void TfrmPassGen::butInsertClick()
{
    if (m_target == nullptr) {
        return;
    }
    if (IsBlankField(m_edPass->text())) {
        m_session.ShowMessageBox(m_session.Message("const_nopass"), MessageKind::Information);
        return;
    }
    if (!m_target->text().isEmpty()) {
        const QString question =
            QLatin1Char('\r') + m_session.FormatMessage("const_replace", {ToCodePage(m_target->text()).bytes,
                                                                          ToCodePage(m_edPass->text()).bytes});
        if (m_session.Services().messages.AskYesNo(question) != Answer::Yes) {
            return;
        }
    }
    m_target->setText(m_edPass->text());
    butCloseClick();
}

void TfrmPassGen::butCloseClick()
{
    reject();
}

} // namespace velmora
