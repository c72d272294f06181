#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace velmora {

class AccountSession;

// The About box: product name, version, the layout and folders in use, picture, and the maker's web and mail addresses,
// which open through the desktop when clicked. Shown without being modal.
class TfrmAbout final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmAbout)

public:
    // `picture` is the account dialog's picture, copied at every show.
    TfrmAbout(AccountSession& session, const QLabel& picture);

    // Shows the box, or brings it to the front when it is up already.
    void ShowOrRaise();

    void FormShow();
    void labWebClick();
    void labMailClick();
    void butCloseClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // A line naming the sealed accounts in Users/; empty when there are none.
    QString SealedAccountsLine() const;

    AccountSession& m_session;
    const QLabel& m_picture;
    QLabel* m_image = nullptr;
    QLabel* m_labName = nullptr;
    QLabel* m_labVer = nullptr;
    QLabel* m_labLayout = nullptr;
    QLabel* m_labWeb = nullptr;
    QLabel* m_labMail = nullptr;
    QPushButton* m_butClose = nullptr;
};

// The maker's addresses shown in the box.
inline constexpr const char* kWebAddress = "https://velmora.example.org";
inline constexpr const char* kMailAddress = "support@velmora.example.org";

} // namespace velmora
