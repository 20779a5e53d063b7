#include "core/scan/ScanSupport.h"

#include "core/Vocabulary.h"

namespace Morvane {

QString trashSkippedNote(std::int64_t count, const QStringList &samples, const QString &home)
{
    if (count < 1)
        return {};
    QStringList shown;
    for (const QString &s : samples.mid(0, 3))
        shown.append(homeShortened(s, home));
    return trashWorded(QStringLiteral("未进入废纸篓（%1），其中的项目不会列出。"))
        .arg(shown.join(QStringLiteral("、")));
}

} // namespace Morvane
