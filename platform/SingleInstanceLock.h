#pragma once

#include <QString>

// The lock "Kavro" that every program of the product family takes at start, so that only one
// of them runs at a time. It is an exclusive flock on a file in the user's runtime folder, or,
// where the session has none, in the folder "Kavro" of the user's cache folder in the home,
// which no other user can make first; the kernel releases it when the holder ends, also when it
// crashes.
class TSingleInstanceLock {
public:
    explicit TSingleInstanceLock(QString name = QStringLiteral("Kavro"));
    // The runtime folder and the cache folder given instead of $XDG_RUNTIME_DIR and the user's
    // cache folder (QStandardPaths::GenericCacheLocation).
    TSingleInstanceLock(QString name, QString runtimeDir, QString cacheDir);
    ~TSingleInstanceLock();
    TSingleInstanceLock(const TSingleInstanceLock&) = delete;
    TSingleInstanceLock& operator=(const TSingleInstanceLock&) = delete;

    // True when this object now holds the lock; false when another holder has it. When no lock
    // file can be had at all (neither a runtime folder nor a folder of the user's own in the
    // cache folder, or the file cannot be opened), the program starts all the same, as when the
    // wait for a named mutex fails.
    bool TryAcquire();
    bool IsHeld() const { return FHeld; }

    // The lock file for a name: runtimeDir/<name> when runtimeDir is a folder, else
    // cacheDir/Kavro/<name>. The cache folder is made when missing, and the folder "Kavro" in it
    // with mode 0700; that folder is used only when it is a real folder owned by the user (it is
    // closed to others when it is not). Empty when there is no such place.
    static QString LockFilePath(const QString& name, const QString& runtimeDir,
                                const QString& cacheDir);

private:
    QString FName;
    QString FRuntimeDir;
    QString FCacheDir;
    int FHandle = -1;
    bool FHeld = false;
};
