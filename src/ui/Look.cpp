#include "Look.h"

#include "core/Paths.h"

#include <QFontDatabase>

namespace Varnoll {

namespace {

QString firstInstalled(const QStringList &candidates)
{
    const QStringList families = QFontDatabase::families();
    for (const QString &family : candidates) {
        if (families.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return candidates.last();
}

} // namespace

Look::Look(QObject *parent)
    : QObject(parent)
    , m_sans(firstInstalled(
          { QStringLiteral("Noto Sans CJK SC"), QStringLiteral("PingFang SC"), QStringLiteral("sans-serif") }))
    , m_serif(
          firstInstalled({ QStringLiteral("Songti SC"), QStringLiteral("Noto Serif CJK SC"), QStringLiteral("serif") }))
    , m_mono(firstInstalled(
          { QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("SF Mono"), QStringLiteral("monospace") }))
{
}

QString Look::localPath(const QUrl &url) const
{
    // Names that are not valid UTF-8 arrive percent-encoded; keep their bytes.
    return Morvane::pathFromBytes(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QUrl Look::folderUrl(const QString &path) const
{
    return QUrl::fromLocalFile(Morvane::displayPath(path));
}

} // namespace Varnoll
