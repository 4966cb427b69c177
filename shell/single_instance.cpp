#include "shell/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

#include "link/debug_trace.h"
#include "profiles/data_folders.h"

namespace {

QString LockFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder;
}

// Asks the running instance to come to the front.
bool AskToRaise(const QString& key) {
    QLocalSocket socket;
    socket.connectToServer(key);
    if (!socket.waitForConnected(1000)) return false;
    socket.write("raise\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

}  // namespace

QString DefaultInstanceKey() {
    return QString::fromLatin1(kApplicationTitle) + "-" + QString::number(getuid());
}

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), key_(key) {}

SingleInstance::~SingleInstance() {
    server_.close();
    if (lock_) lock_->unlock();
}

bool SingleInstance::Claim() {
    lock_ = std::make_unique<QLockFile>(LockFolder() + "/" + key_ + ".lock");
    lock_->setStaleLockTime(0);  // a lock whose process is gone is taken over
    if (!lock_->tryLock(0)) {
        if (!AskToRaise(key_)) DebugTrace("the running instance did not answer");
        lock_.reset();
        return false;
    }
    QLocalServer::removeServer(key_);  // a socket left by a crashed instance
    if (!server_.listen(key_)) {
        DebugTrace("single-instance socket: " + server_.errorString().toStdString());
        return true;  // still the first; later starts just cannot raise it
    }
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_.nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().startsWith("raise")) emit raiseRequested();
                s->disconnectFromServer();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return true;
}
