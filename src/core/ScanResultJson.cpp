#include "core/ScanResultJson.h"

#include "core/Paths.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace Morvane {

namespace {

QString idString(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QString dateString(const QDateTime &date)
{
    return date.isValid() ? date.toUTC().toString(Qt::ISODateWithMs) : QString();
}

// Names beside the raw numbers, so that scripts need no table of values; the numbers
// stay for the readers that already use them.
QString categoryName(FileCategory category)
{
    static const char *const names[fileCategoryCount] = { "userCache", "logs", "developerCache", "application",
        "applicationData", "largeFile", "duplicate", "spaceItem", "installer", "browserData", "systemJunk", "other" };
    const int raw = int(category);
    return raw >= 0 && raw < fileCategoryCount ? QString::fromLatin1(names[raw]) : QString();
}

QString coverageName(CoverageState state)
{
    switch (state) {
    case CoverageState::complete:
        return QStringLiteral("complete");
    case CoverageState::partial:
        return QStringLiteral("partial");
    case CoverageState::notScanned:
        return QStringLiteral("notScanned");
    case CoverageState::skipped:
        return QStringLiteral("skipped");
    case CoverageState::unreadable:
        return QStringLiteral("unreadable");
    case CoverageState::missing:
        return QStringLiteral("missing");
    }
    return {};
}

} // namespace

QJsonObject toJson(const FileEntry &entry)
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), idString(entry.id));
    o.insert(QStringLiteral("path"), displayPath(entry.path));
    if (pathHasEscapedBytes(entry.path))
        o.insert(QStringLiteral("pathBytes"), QString::fromLatin1(pathToBytes(entry.path).toBase64()));
    o.insert(QStringLiteral("name"), displayPath(entry.name));
    o.insert(QStringLiteral("bytes"), double(entry.bytes));
    o.insert(QStringLiteral("sizeIsComplete"), entry.sizeIsComplete);
    o.insert(QStringLiteral("date"), dateString(entry.date));
    o.insert(QStringLiteral("category"), int(entry.category));
    o.insert(QStringLiteral("categoryName"), categoryName(entry.category));
    o.insert(QStringLiteral("detail"), entry.detail);
    o.insert(QStringLiteral("bundleID"), entry.bundleID ? QJsonValue(*entry.bundleID) : QJsonValue());
    o.insert(QStringLiteral("ownerID"), entry.ownerID ? QJsonValue(idString(*entry.ownerID)) : QJsonValue());
    o.insert(QStringLiteral("note"), entry.note);
    o.insert(QStringLiteral("kind"), entryKindName(entry.kind.type));
    return o;
}

namespace {

QJsonObject resultObject(const ScanResult &result, bool withEntries)
{
    QJsonObject o;
    o.insert(QStringLiteral("kind"), int(result.kind));
    o.insert(QStringLiteral("kindName"), scanKindName(result.kind));
    QJsonArray entries;
    if (withEntries) {
        for (const FileEntry &e : result.entries)
            entries.append(toJson(e));
    }
    o.insert(QStringLiteral("entries"), entries);
    o.insert(QStringLiteral("examined"), double(result.examined));
    o.insert(QStringLiteral("scopeNotes"), QJsonArray::fromStringList(result.scopeNotes));
    o.insert(QStringLiteral("date"), dateString(result.date));
    QJsonArray coverage;
    for (const ScanCoverage &c : result.coverage)
        coverage.append(QJsonObject { { QStringLiteral("category"), int(c.category) },
            { QStringLiteral("categoryName"), categoryName(c.category) }, { QStringLiteral("state"), int(c.state) },
            { QStringLiteral("coverageName"), coverageName(c.state) },
            { QStringLiteral("examined"), double(c.examined) } });
    o.insert(QStringLiteral("coverage"), coverage);
    QJsonArray groups;
    for (const DuplicateGroup &g : result.duplicateGroups) {
        QJsonArray files;
        for (const FileEntry &f : g.files)
            files.append(idString(f.id));
        groups.append(QJsonObject { { QStringLiteral("id"), idString(g.id) }, { QStringLiteral("files"), files } });
    }
    o.insert(QStringLiteral("duplicateGroups"), groups);
    QJsonArray owners;
    for (const FileEntry &e : result.ownerApplications)
        owners.append(toJson(e));
    o.insert(QStringLiteral("ownerApplications"), owners);
    QJsonArray diagnostics;
    for (const ScanDiagnostic &d : result.diagnostics)
        diagnostics.append(QJsonObject { { QStringLiteral("id"), d.id },
            { QStringLiteral("path"), displayPath(d.path) }, { QStringLiteral("reason"), d.reason } });
    o.insert(QStringLiteral("diagnostics"), diagnostics);
    o.insert(QStringLiteral("bytes"), double(result.bytes()));
    o.insert(QStringLiteral("hasIncompleteCoverage"), result.hasIncompleteCoverage());
    return o;
}

} // namespace

QJsonObject toJson(const ScanResult &result)
{
    return resultObject(result, true);
}

void writeCompactJson(const ScanResult &result, const std::function<void(QByteArrayView)> &write)
{
    const QByteArray frame = QJsonDocument(resultObject(result, false)).toJson(QJsonDocument::Compact);
    // A quote inside a string value is escaped, so this can only be the key itself.
    const QByteArrayView placeholder("\"entries\":[]");
    const qsizetype at = frame.indexOf(placeholder);
    Q_ASSERT(at >= 0);
    write(QByteArrayView(frame).first(at + placeholder.size() - 1));
    for (qsizetype i = 0; i < result.entries.size(); ++i) {
        if (i > 0)
            write(",");
        write(QJsonDocument(toJson(result.entries[i])).toJson(QJsonDocument::Compact));
    }
    write(QByteArrayView(frame).sliced(at + placeholder.size() - 1));
}

} // namespace Morvane
