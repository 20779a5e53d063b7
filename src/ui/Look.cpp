#include "Look.h"

#include "core/Paths.h"

#include <QFontDatabase>
#include <QKeySequence>

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

QSize Look::minimumWindowSize()
{
#ifdef Q_OS_MACOS
    return { 1060, 720 };
#else
    // 640 with the menu bar, plus about 37 of title bar: under 700, so a window at its
    // minimum stays whole on a 768-pixel screen with a panel.
    return { 1060, 640 };
#endif
}

QSize Look::windowSize(const QSize &available)
{
    const QSize designed(1180, 820);
#ifdef Q_OS_MACOS
    Q_UNUSED(available)
    return designed;
#else
    // Room for the title bar and the frame the window manager draws around the window.
    const QSize room = available - QSize(16, 80);
    // A screen that cannot hold even the minimum (a virtual one) gets the designed size.
    if (room.width() < minimumWindowSize().width() || room.height() < minimumWindowSize().height())
        return designed;
    return designed.boundedTo(room);
#endif
}

QString Look::shortcutText(const QVariant &shortcut)
{
    QKeySequence sequence;
    if (shortcut.typeId() == QMetaType::QString)
        sequence = QKeySequence(shortcut.toString());
    else if (shortcut.canConvert<int>())
        sequence = QKeySequence(QKeySequence::StandardKey(shortcut.toInt()));
    return sequence.toString(QKeySequence::NativeText);
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
