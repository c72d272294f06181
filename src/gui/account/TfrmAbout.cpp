#include "gui/account/TfrmAbout.h"

#include "ProgramInfo.h"
#include "core/account/AccountDirectory.h"
#include "core/account/AccountSeal.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/Pictures.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QStringList>
#include <QVBoxLayout>
#include <functional>

namespace velmora {
namespace {

constexpr const char* kProductName = "Velmora";

// A label that acts on a click, with the hand cursor and the look of a link.
class LinkLabel final : public QLabel
{
public:
    LinkLabel(const QString& text, QWidget* parent, std::function<void()> clicked)
        : QLabel(text, parent), m_clicked(std::move(clicked))
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
        QFont underlined = font();
        underlined.setUnderline(true);
        setFont(underlined);
        setForegroundRole(QPalette::Link);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            m_clicked();
        }
    }

private:
    std::function<void()> m_clicked;
};

} // namespace

TfrmAbout::TfrmAbout(AccountSession& session, const QLabel& picture)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_session(session), m_picture(picture)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("О программе"));
    setWindowIcon(ApplicationIcon());
    setModal(false);

    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_labName = new QLabel(this);
    m_labName->setObjectName(QStringLiteral("labName"));
    QFont large = m_labName->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    m_labName->setFont(large);
    m_labVer = new QLabel(this);
    m_labVer->setObjectName(QStringLiteral("labVer"));
    // Which files the program works with, so a person can find their accounts.
    m_labLayout = new QLabel(this);
    m_labLayout->setObjectName(QStringLiteral("labLayout"));
    m_labLayout->setTextFormat(Qt::PlainText);
    m_labLayout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_labWeb = new LinkLabel(QLatin1String(kWebAddress), this, [this] { labWebClick(); });
    m_labWeb->setObjectName(QStringLiteral("labWeb"));
    m_labMail = new LinkLabel(QLatin1String(kMailAddress), this, [this] { labMailClick(); });
    m_labMail->setObjectName(QStringLiteral("labMail"));
    m_butClose = new QPushButton(QStringLiteral("Закрыть"), this);
    m_butClose->setObjectName(QStringLiteral("butClose"));
    m_butClose->setFlat(true);
    m_butClose->setDefault(true);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(m_labName);
    texts->addWidget(m_labVer);
    texts->addWidget(m_labLayout);
    texts->addSpacing(10);
    texts->addWidget(m_labWeb);
    texts->addWidget(m_labMail);

    auto* top = new QHBoxLayout;
    top->setSpacing(18);
    top->addWidget(m_image);
    top->addLayout(texts, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_butClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 12);
    layout->setSpacing(12);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_butClose, &QPushButton::clicked, this, &TfrmAbout::butCloseClick);
}

void TfrmAbout::ShowOrRaise()
{
    if (!isVisible()) {
        show();
    }
    raise();
    activateWindow();
}

void TfrmAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TfrmAbout::FormShow()
{
    m_labName->setText(QLatin1String(kProductName));
    m_labVer->setText(m_session.Message("const_ver") + QLatin1String(kVersion));
    const ProgramFolders& folders = m_session.Folders();
    const char* layoutKey =
        folders.layout == ProgramLayout::Portable ? "const_layout_portable" : "const_layout_installed";
    m_labLayout->setText(m_session.Message(layoutKey) + QLatin1Char('\n') + m_session.Message("const_program_files") +
                         QString::fromStdU16String(folders.programFiles.u16string()) + QLatin1Char('\n') +
                         m_session.Message("const_user_files") +
                         QString::fromStdU16String(folders.userFiles.u16string()) + SealedAccountsLine());
    m_image->setPixmap(m_picture.pixmap());
}

QString TfrmAbout::SealedAccountsLine() const
{
    QStringList sealed;
    for (const std::string& name : ListAccounts(m_session.UserFilesDir())) {
        if (AccountIsSealed(m_session.UserFilesDir(), name)) {
            sealed.prepend(FromCodePage(name)); // the list comes in descending order
        }
    }
    if (sealed.isEmpty()) {
        return {};
    }
    return QLatin1Char('\n') + m_session.Message("const_sealed_accounts") + sealed.join(QLatin1String(", "));
}

void TfrmAbout::labWebClick()
{
    m_session.ShellOpen(m_labWeb->text());
}

void TfrmAbout::labMailClick()
{
    m_session.ShellOpen(QStringLiteral("mailto:") + m_labMail->text());
}

void TfrmAbout::butCloseClick()
{
    close();
}

} // namespace velmora
