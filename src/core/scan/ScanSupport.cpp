#include "core/scan/ScanSupport.h"

namespace Morvane {

QString homeShortened(const QString &path, const QString &home, qsizetype maximum)
{
    QString shown = displayPath(path);
    const QString shownHome = displayPath(home);
    if (!home.isEmpty() && shown.startsWith(shownHome + u'/'))
        shown = u'~' + shown.mid(shownHome.size());
    if (shown.size() <= maximum || maximum < 8)
        return shown;
    // Keep more of the end (the name) than of the beginning (the place).
    qsizetype head = (maximum - 1) / 3;
    qsizetype tail = maximum - 1 - head;
    // Never split a surrogate pair.
    if (head > 0 && shown.at(head - 1).isHighSurrogate())
        --head;
    if (shown.at(shown.size() - tail).isLowSurrogate())
        --tail;
    return shown.left(head) + u'…' + shown.right(tail);
}

QString trashSkippedNote(std::int64_t count, const QStringList &samples, const QString &home)
{
    if (count < 1)
        return {};
    QStringList shown;
    for (const QString &s : samples.mid(0, 3))
        shown.append(homeShortened(s, home));
    return QStringLiteral("未进入废纸篓（%1），其中的项目不会列出。").arg(shown.join(QStringLiteral("、")));
}

} // namespace Morvane
