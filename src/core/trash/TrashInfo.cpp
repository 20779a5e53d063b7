#include "core/trash/TrashInfo.h"

#include "core/SmallFile.h"

#include <QRandomGenerator>

#include <cerrno>

#include <fcntl.h>

namespace Morvane {

namespace {

constexpr char kSizesName[] = "directorysizes";

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QByteArrayView trimmedLine(QByteArrayView line)
{
    while (!line.isEmpty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.chop(1);
    return line;
}

} // namespace

std::optional<QByteArray> decodeTrashPath(QByteArrayView encoded)
{
    QByteArray out;
    out.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char c = encoded.at(i);
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 2 >= encoded.size())
            return std::nullopt;
        const int high = hexValue(encoded.at(i + 1));
        const int low = hexValue(encoded.at(i + 2));
        if (high < 0 || low < 0)
            return std::nullopt;
        out += char(high * 16 + low);
        i += 2;
    }
    if (out.isEmpty() || out.contains('\0'))
        return std::nullopt;
    return out;
}

std::optional<TrashInfoFields> parseTrashInfo(QByteArrayView text)
{
    TrashInfoFields fields;
    bool inGroup = false;
    bool havePath = false;
    bool haveDate = false;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        const QByteArrayView line = trimmedLine(text.sliced(start, end - start));
        start = end + 1;
        if (line.startsWith('[')) {
            inGroup = line == QByteArrayView("[Trash Info]");
            continue;
        }
        if (!inGroup)
            continue;
        if (!havePath && line.startsWith("Path=")) {
            const auto path = decodeTrashPath(line.sliced(5));
            if (!path)
                return std::nullopt;
            fields.path = *path;
            havePath = true;
        } else if (!haveDate && line.startsWith("DeletionDate=")) {
            fields.deletionDate = QDateTime::fromString(
                QString::fromLatin1(line.sliced(13).toByteArray()), QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
            haveDate = true;
        }
    }
    if (!havePath)
        return std::nullopt;
    return fields;
}

QHash<QByteArray, DirectorySize> parseDirectorySizes(QByteArrayView text)
{
    QHash<QByteArray, DirectorySize> sizes;
    for (const QByteArrayView raw : QByteArrayView(text).toByteArray().split('\n')) {
        const QByteArrayView line = trimmedLine(raw);
        const qsizetype first = line.indexOf(' ');
        const qsizetype second = first < 0 ? -1 : line.indexOf(' ', first + 1);
        if (second < 0)
            continue;
        bool bytesOk = false;
        bool timeOk = false;
        const qint64 bytes = line.first(first).toLongLong(&bytesOk);
        const qint64 time = line.sliced(first + 1, second - first - 1).toLongLong(&timeOk);
        const auto name = decodeTrashPath(line.sliced(second + 1));
        if (!bytesOk || !timeOk || bytes < 0 || !name || name->contains('/'))
            continue;
        sizes.insert(*name, { bytes, time });
    }
    return sizes;
}

bool rewriteDirectorySizes(const OsCalls &os, int root, const std::function<QByteArray(const QByteArray &)> &edit)
{
    struct stat st { };
    if (os.fstatat(root, kSizesName, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISREG(st.st_mode))
        return false;
    UniqueFd source(os.openat(root, kSizesName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK, 0));
    if (!source)
        return false;
    const BoundedRead current = readBounded(std::move(source), { kDirectorySizesLimit, FinalLink::refuse });
    if (!current.ok())
        return false;
    const QByteArray contents = edit(current.data);
    if (contents == current.data)
        return true;

    const QByteArray temporary
        = QByteArray(kSizesName) + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + ".tmp";
    UniqueFd file(os.openat(root, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600));
    if (!file)
        return false;
    qsizetype written = 0;
    while (written < contents.size()) {
        const ssize_t n = os.write(file.get(), contents.constData() + written, size_t(contents.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            (void)os.close(file.release());
            os.unlinkOwnFileAt(root, temporary.constData());
            return false;
        }
        written += n;
    }
    if (os.close(file.release()) != 0 || os.renameReplaceAt(root, temporary.constData(), root, kSizesName) != 0) {
        os.unlinkOwnFileAt(root, temporary.constData());
        return false;
    }
    return true;
}

} // namespace Morvane
