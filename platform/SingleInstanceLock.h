#pragma once

#include <QString>

// The lock "Kavro" that every program of the product family takes at start, so that only one
// of them runs at a time. It is an exclusive flock on a file in the user's runtime folder, or,
// where the session has none, in a folder of the user's own under /tmp that no other user can
// create files in; the kernel releases it when the holder ends, also when it crashes.
class TSingleInstanceLock {
public:
    explicit TSingleInstanceLock(QString name = QStringLiteral("Kavro"));
    // The runtime folder and the folder of temporary files given instead of $XDG_RUNTIME_DIR
    // and /tmp.
    TSingleInstanceLock(QString name, QString runtimeDir, QString tempDir);
    ~TSingleInstanceLock();
    TSingleInstanceLock(const TSingleInstanceLock&) = delete;
    TSingleInstanceLock& operator=(const TSingleInstanceLock&) = delete;

    // True when this object now holds the lock; false when another holder has it. When no lock
    // file can be had at all (no place of the user's own can be made, or it cannot be opened),
    // the program starts all the same, as when the wait for a named mutex fails.
    bool TryAcquire();
    bool IsHeld() const { return FHeld; }

    // The lock file for a name: runtimeDir/<name> when runtimeDir is a folder, else
    // tempDir/kavro-<uid>/<name>, whose folder is made with mode 0700 when missing and used only
    // when it is a real folder owned by the user (it is closed to others when it is not). Empty
    // when there is no such place.
    static QString LockFilePath(const QString& name, const QString& runtimeDir,
                                const QString& tempDir);

private:
    QString FName;
    QString FRuntimeDir;
    QString FTempDir;
    int FHandle = -1;
    bool FHeld = false;
};
