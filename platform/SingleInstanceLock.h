#pragma once

#include <QString>

// The lock "Kavro" that every program of the product family takes at start, so that only one
// of them runs at a time. It is an exclusive flock on a file in the user's runtime folder; the
// kernel releases it when the holder ends, also when it crashes.
class TSingleInstanceLock {
public:
    explicit TSingleInstanceLock(QString name = QStringLiteral("Kavro"));
    ~TSingleInstanceLock();
    TSingleInstanceLock(const TSingleInstanceLock&) = delete;
    TSingleInstanceLock& operator=(const TSingleInstanceLock&) = delete;

    // True when this object now holds the lock; false when another holder has it. A lock file
    // that cannot be opened at all does not keep the program from starting.
    bool TryAcquire();
    bool IsHeld() const { return FHeld; }

    // The lock file for a name: $XDG_RUNTIME_DIR/<name>, else /tmp/<name>-<uid>.
    static QString LockFilePath(const QString& name);

private:
    QString FName;
    int FHandle = -1;
    bool FHeld = false;
};
