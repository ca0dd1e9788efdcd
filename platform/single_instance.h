// The named lock that stands in for a named mutex: one instance at a time.
#pragma once

#include <string>

#include "platform/object.h"

// A named lock held by at most one process on the machine. It is an abstract-namespace
// Unix datagram socket bound to "\0" + Name: the kernel frees the name the moment
// the holder's socket closes, however the holder ends (kill -9 included), and there is
// no file that a crash could leave behind. The socket is close-on-exec, so programs
// started by the holder do not keep the lock alive.
// Name made private to the user UserId: what a named mutex of one login session is on
// Windows. Locks of other users never meet it.
std::string PerUserLockName(const std::string& Name, unsigned UserId);
// The same for the user this process runs as.
std::string PerUserLockName(const std::string& Name);

class TNamedMutex : public TObject {
public:
    TNamedMutex() = default;
    ~TNamedMutex() override { Release(); }

    // True when some process holds the lock Name (it is not taken).
    static bool Exists(const std::string& Name);
    // Takes the lock; false when another process holds it (or the name is too long).
    bool Create(const std::string& Name);
    // Gives the lock up; nothing when it is not held.
    void Release();
    bool Held() const { return FSocket >= 0; }

private:
    int FSocket = -1;
};
