#include "qt/single_instance.h"

#include <QFileInfo>
#include <QLocalSocket>

namespace nivex::qt {
namespace {
constexpr int kConnectMs = 500;
}

SingleInstance::SingleInstance(const QString& name, QObject* parent) : QObject(parent) {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    serverName_ = name.toLower() + QLatin1Char('-') + user;
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_.nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            peer->disconnectFromServer();
        }
        emit activationRequested();
    });
}

QString SingleInstance::baseNameOf(const QString& executable) {
    return QFileInfo(executable).fileName().section(QLatin1Char('.'), 0, 0);
}

bool SingleInstance::becomePrimary() {
    QLocalSocket probe;
    probe.connectToServer(serverName_);
    if (probe.waitForConnected(kConnectMs)) {
        probe.disconnectFromServer();
        return false;
    }
    // Nobody answered: a socket left by a crashed run is taken over.
    QLocalServer::removeServer(serverName_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(serverName_);
    return true;
}

}  // namespace nivex::qt
