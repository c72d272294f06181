#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalSocket>
#include <QStandardPaths>

namespace velmora {
namespace {

constexpr QByteArrayView kRaiseRequest = "raise\n";
// A running program answers at once; a socket file nobody listens on refuses at once.
constexpr int kConnectMilliseconds = 1000;

} // namespace

SingleInstance::SingleInstance(const std::filesystem::path& userFiles, QObject* parent)
    : QObject(parent), m_name(SocketName(userFiles))
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::AcceptRequest);
}

QString SingleInstance::SocketName(const std::filesystem::path& userFiles)
{
    // The same folder reached through a link or a relative path is the same program.
    std::error_code error;
    std::filesystem::path folder = std::filesystem::weakly_canonical(userFiles, error);
    if (error) {
        folder = std::filesystem::absolute(userFiles, error).lexically_normal();
    }
    if (!folder.has_filename()) {
        folder = folder.parent_path(); // "accounts/" is "accounts"
    }
    const QByteArray path = QByteArray::fromStdString(folder.string());
    const QByteArray hash = QCryptographicHash::hash(path, QCryptographicHash::Sha256).toHex().left(32);
    // The runtime directory is the user's own, so nobody else can take the name first.
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return directory + QStringLiteral("/velmora-") + QString::fromLatin1(hash);
}

bool SingleInstance::Claim()
{
    if (AskRunningProgramToRaise()) {
        return false;
    }
    if (m_server.listen(m_name)) {
        return true;
    }
    // Two programs may have started together: the other one may be listening by now.
    if (AskRunningProgramToRaise()) {
        return false;
    }
    // Left behind by a program that ended without closing it.
    QLocalServer::removeServer(m_name);
    // Without the socket the program still runs; it only cannot be found by a second start.
    m_server.listen(m_name);
    return true;
}

bool SingleInstance::AskRunningProgramToRaise() const
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectMilliseconds)) {
        return false;
    }
    socket.write(kRaiseRequest.data(), kRaiseRequest.size());
    socket.waitForBytesWritten(kConnectMilliseconds);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::AcceptRequest()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() < kRaiseRequest.size()) {
                return;
            }
            if (socket->read(kRaiseRequest.size()) == kRaiseRequest) {
                emit RaiseRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

} // namespace velmora
