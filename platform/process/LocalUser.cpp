#include "platform/process/LocalUser.h"

#include "platform/files/FileDescriptor.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavero::LocalUser {

uint id() { return ::geteuid(); }

bool privateFolder(const QString& path, bool make) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) return false;
    if (make && ::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) return false;
    // Checked through the opened folder, so the folder checked is the folder
    // changed, even if the name is swapped meanwhile.
    const FileDescriptor folder(::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!folder.valid() || ::fstat(folder.get(), &info) != 0 || info.st_uid != id()) return false;
    if ((info.st_mode & 077) == 0) return true;
    return make && ::fchmod(folder.get(), 0700) == 0;
}

std::optional<uint> peerId(qintptr descriptor) {
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof credentials)
        return std::nullopt;
    return credentials.uid;
}

bool peerHungUp(qintptr descriptor) {
    pollfd socket{int(descriptor), POLLRDHUP, 0};
    int ready = 0;
    do ready = ::poll(&socket, 1, 0);
    while (ready < 0 && errno == EINTR);
    return ready > 0 && (socket.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace tavero::LocalUser
