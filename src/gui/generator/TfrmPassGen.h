#pragma once

#include "core/generator/PasswordGenerator.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QToolButton;

namespace velmora {

class AccountSession;

// The password generator: up to four character classes, a length of 0 to 24, copy, and insert
// into the record dialog that opened it. Its options keep their values during a run.
class TfrmPassGen final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmPassGen)

public:
    // `window` is the main window: the generator opened from its menu stands over it.
    TfrmPassGen(AccountSession& session, QWidget& window);

    // Where the numbers come from: the system's random source unless a test gives a seeded one.
    void SetRandomSource(RandomSource& random) { m_random = &random; }

    // Modal, over the main window: nothing to insert into.
    void ShowFromMain();
    // Without waiting, over the record dialog `owner`, inserting into `target`; both windows
    // stay usable.
    void ShowForRecord(QDialog& owner, QLineEdit& target);
    // Closes the generator if it was opened from `owner`, which is closing or going away.
    void ReleaseOwner(QDialog& owner);

    void FormShow();
    void butGenClick();
    void butCopyClick();
    void butInsertClick();
    void butCloseClick();

protected:
    void showEvent(QShowEvent* event) override;
    // Keeps the generator above the record dialog it serves when that dialog is clicked.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowOver(QWidget* owner);

    AccountSession& m_session;
    QWidget& m_window;
    SystemRandom m_systemRandom;
    RandomSource* m_random = &m_systemRandom;
    QDialog* m_owner = nullptr;
    QLineEdit* m_target = nullptr;

    QCheckBox* m_stroch = nullptr;
    QCheckBox* m_zagl = nullptr;
    QCheckBox* m_num = nullptr;
    QCheckBox* m_spec = nullptr;
    QLineEdit* m_edSpec = nullptr;
    QSpinBox* m_edLen = nullptr;
    QLineEdit* m_edPass = nullptr;
    QToolButton* m_butInsert = nullptr;
};

} // namespace velmora
