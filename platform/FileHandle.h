#pragma once

#include <unistd.h>

// Owns a POSIX file descriptor and closes it on every path out of the scope.
class TFileHandle {
public:
    explicit TFileHandle(int handle) : FHandle(handle) {}
    ~TFileHandle() {
        if (FHandle >= 0)
            ::close(FHandle);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    int Get() const { return FHandle; }

private:
    int FHandle;
};
