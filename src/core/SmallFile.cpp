#include "core/SmallFile.h"

#include "core/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace Morvane {

namespace {

BoundedRead failed(ReadFailure failure, int error = 0)
{
    BoundedRead out;
    out.failure = failure;
    out.error = error;
    return out;
}

ReadFailure failureOfOpen(int error, FinalLink link)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ReadFailure::missing;
    case ELOOP:
        // O_NOFOLLOW meets a link at the end; with links allowed, a loop of them.
        return link == FinalLink::refuse ? ReadFailure::notRegular : ReadFailure::unreadable;
    case ENXIO: // a socket, or a device without a driver
    case EISDIR:
        return ReadFailure::notRegular;
    default:
        return ReadFailure::unreadable;
    }
}

} // namespace

BoundedRead readBounded(UniqueFd fd, const ReadBound &bound)
{
    struct stat st { };
    if (::fstat(fd.get(), &st) != 0)
        return failed(ReadFailure::unreadable, errno);
    if (!S_ISREG(st.st_mode))
        return failed(ReadFailure::notRegular);
    const qint64 limit = std::max<qint64>(bound.limit, 0);
    if (st.st_size > limit && !bound.keepPrefix)
        return failed(ReadFailure::tooLarge);
    // One byte past the bound tells a file that grew (or a /proc entry that stated
    // no size) from one that fits.
    const qint64 want = bound.keepPrefix ? limit : limit + 1;
    BoundedRead out;
    constexpr qint64 chunk = 64 * 1024;
    out.data.resize(qsizetype(std::min<qint64>(want, std::max<qint64>(st.st_size, chunk))));
    qint64 got = 0;
    for (;;) {
        if (got == out.data.size()) {
            if (got >= want)
                break;
            out.data.resize(qsizetype(std::min<qint64>(want, got * 2)));
        }
        const ssize_t n = ::read(fd.get(), out.data.data() + got, size_t(out.data.size() - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failed(ReadFailure::unreadable, errno);
        }
        if (n == 0)
            break;
        got += n;
    }
    if (got > limit)
        return failed(ReadFailure::tooLarge);
    out.data.truncate(qsizetype(got));
    return out;
}

BoundedRead readBounded(const QByteArray &path, const ReadBound &bound, int folderFd)
{
    // O_NOCTTY: a terminal device planted under the name must not become ours.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (bound.link == FinalLink::refuse ? O_NOFOLLOW : 0);
    UniqueFd fd(::openat(folderFd, path.constData(), flags));
    if (!fd)
        return failed(failureOfOpen(errno, bound.link), errno);
    return readBounded(std::move(fd), bound);
}

std::optional<QByteArray> readSmallRegularFile(const QString &path, qint64 limit, FinalLink link)
{
    BoundedRead read = readBounded(pathToBytes(path), { limit, link, false });
    if (!read.ok())
        return std::nullopt;
    return std::move(read.data);
}

QByteArray readFileHead(const QByteArray &path, qint64 bytes)
{
    BoundedRead read = readBounded(path, { bytes, FinalLink::refuse, true });
    return read.ok() ? std::move(read.data) : QByteArray();
}

} // namespace Morvane
