#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <filesystem>

namespace velmora {

// One running program per accounts folder, since two programs saving one account lose each
// other's changes. The first start listens on a local socket named after the folder; a later
// start on the same folder asks it to raise its window and ends. Another folder is another
// program.
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    explicit SingleInstance(const std::filesystem::path& userFiles, QObject* parent = nullptr);

    // True when this process is now the program of the folder. False when another program runs
    // there already: it has been asked to raise its window.
    bool Claim();

    // The socket's name: the user's runtime directory and a hash of the folder's real path.
    static QString SocketName(const std::filesystem::path& userFiles);

signals:
    // A later start on the same folder wants this program's window in front.
    void RaiseRequested();

private:
    bool AskRunningProgramToRaise() const;
    void AcceptRequest();

    QString m_name;
    QLocalServer m_server;
};

} // namespace velmora
