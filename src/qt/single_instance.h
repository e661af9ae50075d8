#pragma once
// One copy per user: the first process listens on a local socket named after the
// executable; a later one asks it to come forward and ends.

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace nivex::qt {

class SingleInstance : public QObject {
    Q_OBJECT

  public:
    // name: the executable's file name cut before its first '.'.
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);

    // True when no other copy runs (this one now answers later starts); false when a
    // running copy was found and asked to come forward.
    bool becomePrimary();
    QString serverName() const { return serverName_; }

    // "nivex" for "/usr/bin/nivex.bin", as the process was started.
    static QString baseNameOf(const QString& executable);

  signals:
    void activationRequested();

  private:
    QString serverName_;
    QLocalServer server_;
};

}  // namespace nivex::qt
