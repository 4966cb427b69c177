// One running program per user: a lock file in $XDG_RUNTIME_DIR and a local
// socket named after the title. A second start asks the first to come to the
// front and ends.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the lock and the socket (tests give their own).
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first: it then listens for later starts.
    // False when another runs: it has been asked to come to the front.
    bool Claim();

signals:
    // A later start asked this one to come to the front.
    void raiseRequested();

private:
    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

// The default key: the title and the user id.
QString DefaultInstanceKey();
