#include "SpecialFiles.h"

#include <QFile>

#include <cstring>
#include <fcntl.h>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace ql::testing {

namespace {

mode_t kindOf(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

} // namespace

bool makeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool makeSocket(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

bool isFifo(const QString& path)
{
    return kindOf(path) == S_IFIFO;
}

bool isSocket(const QString& path)
{
    return kindOf(path) == S_IFSOCK;
}

bool returnsWithin(std::chrono::milliseconds limit, const std::function<void()>& call, const QString& stuckOn)
{
    std::packaged_task<void()> task(call);
    std::future<void> done = task.get_future();
    std::thread thread(std::move(task));
    const bool returned = done.wait_for(limit) == std::future_status::ready;
    while (done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
        // A reader waits for a writer: one that comes and goes gives it the
        // end of the file.
        const int writer = ::open(QFile::encodeName(stuckOn).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer >= 0)
            ::close(writer);
    }
    thread.join();
    return returned;
}

} // namespace ql::testing
