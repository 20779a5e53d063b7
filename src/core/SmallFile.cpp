#include "core/SmallFile.h"

#include "core/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Morvane {

std::optional<QByteArray> readSmallRegularFile(const QString &path, qint64 limit, FinalLink link)
{
    const int flags = O_RDONLY | O_CLOEXEC | (link == FinalLink::refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(pathToBytes(path).constData(), flags);
    if (fd < 0)
        return std::nullopt;
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > limit) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray data(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd, data.data() + got, size_t(data.size() - got));
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    if (got != data.size())
        return std::nullopt;
    return data;
}

} // namespace Morvane
