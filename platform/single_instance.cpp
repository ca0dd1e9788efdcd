// The named lock that stands in for a named mutex: one instance at a time.
#include "platform/single_instance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

// The abstract address for Name: a leading NUL, then the name's bytes (no terminator).
bool MakeAddress(const std::string& Name, sockaddr_un& Addr, socklen_t& Len) {
    std::memset(&Addr, 0, sizeof Addr);
    Addr.sun_family = AF_UNIX;
    if (Name.empty() || Name.size() + 1 > sizeof Addr.sun_path) return false;
    std::memcpy(Addr.sun_path + 1, Name.data(), Name.size());
    Len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + Name.size());
    return true;
}

} // namespace

std::string PerUserLockName(const std::string& Name, unsigned UserId) {
    return Name + "/uid=" + std::to_string(UserId);
}

std::string PerUserLockName(const std::string& Name) {
    return PerUserLockName(Name, static_cast<unsigned>(getuid()));
}

bool TNamedMutex::Exists(const std::string& Name) {
    sockaddr_un Addr;
    socklen_t Len;
    if (!MakeAddress(Name, Addr, Len)) return false;
    int S = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (S < 0) return false;
    // Connecting a datagram socket only checks that the address is bound.
    int R;
    do {
        R = connect(S, reinterpret_cast<sockaddr*>(&Addr), Len);
    } while (R != 0 && errno == EINTR);
    // Refusal or a socket of another type bound to the name: the name is taken all the same.
    bool Held = R == 0 || errno == EPERM || errno == EACCES || errno == EPROTOTYPE;
    close(S);
    return Held;
}

bool TNamedMutex::Create(const std::string& Name) {
    Release();
    sockaddr_un Addr;
    socklen_t Len;
    if (!MakeAddress(Name, Addr, Len)) return false;
    int S = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (S < 0) return false;
    if (bind(S, reinterpret_cast<sockaddr*>(&Addr), Len) != 0) {
        close(S);
        return false;
    }
    FSocket = S;
    return true;
}

void TNamedMutex::Release() {
    if (FSocket >= 0) {
        close(FSocket);
        FSocket = -1;
    }
}
