#include "core/RecordJson.h"

#include "core/Paths.h"

#include <QJsonDocument>
#include <cmath>

namespace Morvane {

namespace {

const QDateTime &referenceDate()
{
    static const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return reference;
}

void putPath(QJsonObject &object, const QString &key, const QString &path)
{
    object.insert(key, displayPath(path));
    if (pathHasEscapedBytes(path))
        object.insert(key + QLatin1String("Bytes"), QString::fromLatin1(pathToBytes(path).toBase64()));
}

std::optional<QString> takePath(const QJsonObject &object, const QString &key)
{
    const QJsonValue bytes = object.value(key + QLatin1String("Bytes"));
    if (bytes.isString()) {
        const auto decoded
            = QByteArray::fromBase64Encoding(bytes.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (decoded)
            return pathFromBytes(*decoded);
    }
    const QJsonValue plain = object.value(key);
    if (!plain.isString())
        return std::nullopt;
    return plain.toString();
}

std::optional<QUuid> takeUuid(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    const QUuid id = QUuid::fromString(value.toString());
    if (id.isNull() && value.toString() != QLatin1String("00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return id;
}

} // namespace

double secondsSinceReferenceDate(const QDateTime &date)
{
    return double(referenceDate().msecsTo(date)) / 1000.0;
}

QDateTime dateFromReferenceSeconds(double seconds)
{
    return referenceDate().addMSecs(qint64(std::llround(seconds * 1000.0)));
}

QString uuidString(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QJsonObject toJson(const CleanupItemResult &item)
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), uuidString(item.entryID));
    o.insert(QStringLiteral("name"), displayPath(item.name));
    putPath(o, QStringLiteral("path"), item.path);
    o.insert(QStringLiteral("moved"), item.moved);
    o.insert(QStringLiteral("message"), item.message);
    o.insert(QStringLiteral("bytes"), double(item.bytes));
    o.insert(QStringLiteral("sizeIsComplete"), item.sizeIsComplete);
    o.insert(QStringLiteral("category"), int(item.category));
    if (!item.trashPath.isEmpty())
        putPath(o, QStringLiteral("trashPath"), item.trashPath);
    return o;
}

QJsonObject toJson(const CleanupRecord &record)
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), uuidString(record.id));
    o.insert(QStringLiteral("date"), secondsSinceReferenceDate(record.date));
    QJsonArray items;
    for (const CleanupItemResult &item : record.items)
        items.append(toJson(item));
    o.insert(QStringLiteral("items"), items);
    return o;
}

QJsonArray toJson(const QList<CleanupRecord> &records)
{
    QJsonArray array;
    for (const CleanupRecord &record : records)
        array.append(toJson(record));
    return array;
}

std::optional<CleanupItemResult> itemFromJson(const QJsonObject &o)
{
    CleanupItemResult item;
    const auto path = takePath(o, QStringLiteral("path"));
    const QJsonValue moved = o.value(QStringLiteral("moved"));
    if (!path || !moved.isBool() || !o.value(QStringLiteral("name")).isString())
        return std::nullopt;
    item.path = *path;
    item.moved = moved.toBool();
    item.name = o.value(QStringLiteral("name")).toString();
    if (pathHasEscapedBytes(item.path))
        item.name = lastComponent(item.path); // exact name from the exact path
    item.message = o.value(QStringLiteral("message")).toString();
    if (const auto id = takeUuid(o.value(QStringLiteral("id"))))
        item.entryID = *id;
    item.bytes = std::int64_t(o.value(QStringLiteral("bytes")).toDouble());
    item.sizeIsComplete = o.value(QStringLiteral("sizeIsComplete")).toBool(true);
    if (const auto c = fileCategoryFromRaw(o.value(QStringLiteral("category")).toInt(int(FileCategory::other))))
        item.category = *c;
    if (o.contains(QStringLiteral("trashPath")))
        item.trashPath = takePath(o, QStringLiteral("trashPath")).value_or(QString());
    return item;
}

std::optional<CleanupRecord> recordFromJson(const QJsonObject &o)
{
    const auto id = takeUuid(o.value(QStringLiteral("id")));
    const QJsonValue date = o.value(QStringLiteral("date"));
    const QJsonValue items = o.value(QStringLiteral("items"));
    if (!id || !date.isDouble() || !items.isArray())
        return std::nullopt;
    CleanupRecord record;
    record.id = *id;
    record.date = dateFromReferenceSeconds(date.toDouble());
    for (const QJsonValue &value : items.toArray()) {
        if (!value.isObject())
            return std::nullopt;
        const auto item = itemFromJson(value.toObject());
        if (!item)
            return std::nullopt;
        record.items.append(*item);
    }
    return record;
}

std::optional<QList<CleanupRecord>> recordsFromJson(const QByteArray &json)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<CleanupRecord> records;
    for (const QJsonValue &value : document.array()) {
        if (!value.isObject())
            return std::nullopt;
        const auto record = recordFromJson(value.toObject());
        if (!record)
            return std::nullopt;
        records.append(*record);
    }
    return records;
}

QByteArray compactEscapedJson(const QJsonDocument &document)
{
    // Outside strings compact JSON has no "/", so escaping every one is exact.
    QByteArray json = document.toJson(QJsonDocument::Compact);
    json.replace("/", "\\/");
    return json;
}

} // namespace Morvane
