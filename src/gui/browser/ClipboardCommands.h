#pragma once

#include <QObject>
#include <string>

namespace velmora {

class TfrmMain;
struct TRecType;

// Copies a field of the selected record to the clipboard, and shows or empties the clipboard.
class ClipboardCommands final : public QObject
{
    Q_DISABLE_COPY_MOVE(ClipboardCommands)

public:
    explicit ClipboardCommands(TfrmMain& main);

    void mCNameClick();
    void mCUrlClick();
    void mCLoginClick();
    void mCIdClick();
    void mCPassClick();
    void mClClick();
    void mClBufClick();

private:
    // Always the record's own value from the account, never the masked text of the list.
    void CopyField(std::string TRecType::*field);

    TfrmMain& m_main;
};

} // namespace velmora
