#include "app/SingleInstance.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

namespace framewise {

namespace {
constexpr int kWaitMs = 2000;
const QByteArray kRaise = "raise\n";
}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)) {
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
}

SingleInstance::~SingleInstance() {
    m_server.close();
}

QString SingleInstance::DefaultName() {
    QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (base.isEmpty()) base = QStringLiteral("framewise");
    // ".instance": without a runtime folder the socket lands in the temp folder, where the
    // work root "<base>-<uid>" already is.
    const QString name =
        base + QLatin1Char('-') + QString::number(::getuid()) + QStringLiteral(".instance");
    // The runtime folder is private to the user; elsewhere the socket lands in the shared
    // temp folder, where only the user may reach it.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(QString::fromLocal8Bit(runtime)).isDir())
        return QDir(QString::fromLocal8Bit(runtime)).filePath(name);
    return name;
}

QString SingleInstance::ServerPath() const {
    return m_server.fullServerName();
}

bool SingleInstance::AskRunningToRaise() {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    // Only a listening program accepts a connection; a name left by a crash refuses it.
    if (!socket.waitForConnected(kWaitMs)) return false;
    socket.write(kRaise);
    socket.waitForBytesWritten(kWaitMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kWaitMs);
    return true;
}

SingleInstance::Role SingleInstance::Claim() {
    if (AskRunningToRaise()) return Role::Secondary;
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (m_server.listen(m_name)) return Role::Primary;
        if (m_server.serverError() != QAbstractSocket::AddressInUseError) break;
        // The name is there but refused the connection: a crashed run left it behind. Take
        // it over, unless another start has just claimed it, which then gets the request.
        if (AskRunningToRaise()) return Role::Secondary;
        QLocalServer::removeServer(m_name);
    }
    return Role::Failed;
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        // The request may be read at once, later, or only with the end of the connection.
        auto serve = [this, socket] {
            while (socket->canReadLine())
                if (socket->readLine() == kRaise) emit RaiseRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, serve);
        connect(socket, &QLocalSocket::disconnected, this, [socket, serve] {
            serve();
            socket->deleteLater();
        });
        serve();
    }
}

}  // namespace framewise
