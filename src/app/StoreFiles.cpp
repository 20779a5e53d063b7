#include "app/StoreFiles.h"

#include "core/Paths.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace Varnoll {

using namespace Morvane;

QString defaultStoreFolder(const QString &home, const BaseDirectories &bases)
{
#ifdef Q_OS_MACOS
    Q_UNUSED(bases);
    return joinPath(home, QStringLiteral("Library/Application Support/VarnollMac清理"));
#else
    return joinPath(baseFolder(bases, BaseDirectory::data, home), QStringLiteral("VarnollMac清理"));
#endif
}

std::optional<QByteArray> readWholeFile(const QString &path)
{
    QFile file(QString::fromUtf8(pathToBytes(path))); // Qt opens by UTF-8 name
    if (pathHasEscapedBytes(path) || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QString> ensureFolder(const QString &path)
{
    const QString normal = lexicallyNormal(path);
    QString current;
    for (const QString &part : normal.split(u'/', Qt::SkipEmptyParts)) {
        current += u'/' + part;
        const QByteArray bytes = pathToBytes(current);
        if (::mkdir(bytes.constData(), 0755) == 0)
            continue;
        const int error = errno;
        struct stat st { };
        if (error == EEXIST && ::stat(bytes.constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                continue;
            return QString::fromLocal8Bit(std::strerror(ENOTDIR));
        }
        return QString::fromLocal8Bit(std::strerror(error));
    }
    return std::nullopt;
}

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &contents)
{
    QSaveFile file(QString::fromUtf8(pathToBytes(path)));
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(contents) != contents.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace Varnoll
