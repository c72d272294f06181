#pragma once

#include <QObject>

namespace velmora {

class TfrmMain;

// Account ▸ Import ▸ From another password manager: a KeePass 2 XML or KeePassXC CSV file's
// groups join the open account as new folders, saved as any other change.
class ForeignImportCommand final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ForeignImportCommand)

public:
    explicit ForeignImportCommand(TfrmMain& main);

    void mImportForeignClick();

private:
    TfrmMain& m_main;
};

} // namespace velmora
