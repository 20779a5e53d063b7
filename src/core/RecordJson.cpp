#include "core/RecordJson.h"

#include "core/JsonText.h"
#include "core/Paths.h"

#include <QHash>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>

namespace Morvane {

namespace {

// About 3,000 years either side of 2001: every date a clean-up can carry, and far
// inside what QDateTime holds.
constexpr double maximumReferenceSeconds = 1e11;

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

// 64-bit values as decimal text: a JSON number is exact only up to 2^53, and device
// and inode numbers use every bit.
QJsonObject identityJson(const TrashedIdentity &identity)
{
    const Fingerprint &f = identity.fingerprint;
    QJsonObject o;
    o.insert(QStringLiteral("changed"), QString::number(f.changedNs));
    o.insert(QStringLiteral("device"), QString::number(f.device));
    o.insert(QStringLiteral("folder"), identity.folder);
    o.insert(QStringLiteral("inode"), QString::number(f.inode));
    o.insert(QStringLiteral("modified"), QString::number(f.modifiedNs));
    o.insert(QStringLiteral("size"), QString::number(f.size));
    return o;
}

// None when any field is missing or not a number of its kind: the restore then falls
// back to the checks an older record allows.
std::optional<TrashedIdentity> identityFromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    bool ok[5] = {};
    TrashedIdentity identity;
    Fingerprint &f = identity.fingerprint;
    f.changedNs = o.value(QStringLiteral("changed")).toString().toLongLong(&ok[0]);
    f.device = o.value(QStringLiteral("device")).toString().toULongLong(&ok[1]);
    f.inode = o.value(QStringLiteral("inode")).toString().toULongLong(&ok[2]);
    f.modifiedNs = o.value(QStringLiteral("modified")).toString().toLongLong(&ok[3]);
    f.size = o.value(QStringLiteral("size")).toString().toLongLong(&ok[4]);
    const QJsonValue folder = o.value(QStringLiteral("folder"));
    if (!folder.isBool() || !std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }))
        return std::nullopt;
    identity.folder = folder.toBool();
    return identity;
}

} // namespace

double secondsSinceReferenceDate(const QDateTime &date)
{
    return double(referenceDate().msecsTo(date)) / 1000.0;
}

QDateTime dateFromReferenceSeconds(double seconds)
{
    if (!std::isfinite(seconds) || std::fabs(seconds) > maximumReferenceSeconds)
        return {};
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
    if (item.trashIdentity)
        o.insert(QStringLiteral("trashIdentity"), identityJson(*item.trashIdentity));
    if (item.restoredDate)
        o.insert(QStringLiteral("restoredDate"), secondsSinceReferenceDate(*item.restoredDate));
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
    // A size is a count of bytes: a negative one, or one past 2^63 (whose conversion
    // would be undefined), is not a size this application wrote.
    const QJsonValue bytes = o.value(QStringLiteral("bytes"));
    if (!bytes.isUndefined()) {
        const double value = bytes.toDouble(-1.0);
        if (!bytes.isDouble() || !(value >= 0.0 && value < 9223372036854775808.0))
            return std::nullopt;
        item.bytes = std::int64_t(value);
    }
    item.sizeIsComplete = o.value(QStringLiteral("sizeIsComplete")).toBool(true);
    if (const auto c = fileCategoryFromRaw(o.value(QStringLiteral("category")).toInt(int(FileCategory::other))))
        item.category = *c;
    if (o.contains(QStringLiteral("trashPath")))
        item.trashPath = takePath(o, QStringLiteral("trashPath")).value_or(QString());
    item.trashIdentity = identityFromJson(o.value(QStringLiteral("trashIdentity")));
    if (const QJsonValue restored = o.value(QStringLiteral("restoredDate")); restored.isDouble()) {
        if (const QDateTime date = dateFromReferenceSeconds(restored.toDouble()); date.isValid())
            item.restoredDate = date;
    }
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
    if (!record.date.isValid())
        return std::nullopt;
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

std::optional<HistoryDecoding> decodeHistory(QByteArrayView json, qsizetype keep)
{
    const auto elements = splitJsonArray(json);
    if (!elements)
        return std::nullopt;
    HistoryDecoding out;
    // Most items carry one of a handful of messages: share their text.
    QHash<QString, QString> messages;
    for (const QByteArrayView element : *elements) {
        if (out.records.size() >= keep) {
            ++out.beyondLimit;
            continue;
        }
        QJsonParseError error {};
        const QJsonDocument document = QJsonDocument::fromJson(element.toByteArray(), &error);
        auto record = error.error == QJsonParseError::NoError && document.isObject() ? recordFromJson(document.object())
                                                                                     : std::nullopt;
        if (!record) {
            ++out.invalid;
            continue;
        }
        for (CleanupItemResult &item : record->items) {
            const auto it = messages.constFind(item.message);
            if (it != messages.constEnd())
                item.message = *it;
            else
                messages.insert(item.message, item.message);
        }
        out.records.append(std::move(*record));
    }
    return out;
}

namespace {

void appendKey(QByteArray &out, const char *key)
{
    out += '"';
    out += key;
    out += "\":";
}

void appendPath(QByteArray &out, const char *key, const char *bytesKey, const QString &path)
{
    appendKey(out, key);
    appendJsonString(out, displayPath(path));
    if (pathHasEscapedBytes(path)) {
        out += ',';
        appendKey(out, bytesKey);
        appendJsonString(out, QString::fromLatin1(pathToBytes(path).toBase64()));
    }
}

} // namespace

QByteArray encodeHistory(const QList<CleanupRecord> &records)
{
    // Keys in the order Qt's writer sorts them, so the text reads like the old one.
    qsizetype items = 0;
    for (const CleanupRecord &record : records)
        items += record.items.size();
    QByteArray out;
    out.reserve(items * 320 + records.size() * 100 + 2); // about what an item takes, so it grows rarely
    out += '[';
    for (qsizetype r = 0; r < records.size(); ++r) {
        const CleanupRecord &record = records.at(r);
        if (r > 0)
            out += ',';
        out += '{';
        appendKey(out, "date");
        appendJsonNumber(out, secondsSinceReferenceDate(record.date));
        out += ',';
        appendKey(out, "id");
        appendJsonString(out, uuidString(record.id));
        out += ',';
        appendKey(out, "items");
        out += '[';
        for (qsizetype i = 0; i < record.items.size(); ++i) {
            const CleanupItemResult &item = record.items.at(i);
            if (i > 0)
                out += ',';
            out += '{';
            appendKey(out, "bytes");
            appendJsonNumber(out, double(item.bytes));
            out += ',';
            appendKey(out, "category");
            out += QByteArray::number(int(item.category));
            out += ',';
            appendKey(out, "id");
            appendJsonString(out, uuidString(item.entryID));
            out += ',';
            appendKey(out, "message");
            appendJsonString(out, item.message);
            out += ',';
            appendKey(out, "moved");
            out += item.moved ? "true" : "false";
            out += ',';
            appendKey(out, "name");
            appendJsonString(out, displayPath(item.name));
            out += ',';
            appendPath(out, "path", "pathBytes", item.path);
            if (item.restoredDate) {
                out += ',';
                appendKey(out, "restoredDate");
                appendJsonNumber(out, secondsSinceReferenceDate(*item.restoredDate));
            }
            out += ',';
            appendKey(out, "sizeIsComplete");
            out += item.sizeIsComplete ? "true" : "false";
            if (item.trashIdentity) {
                const Fingerprint &f = item.trashIdentity->fingerprint;
                out += ',';
                appendKey(out, "trashIdentity");
                out += "{\"changed\":\"" + QByteArray::number(qint64(f.changedNs)) + "\",\"device\":\""
                    + QByteArray::number(quint64(f.device))
                    + "\",\"folder\":" + (item.trashIdentity->folder ? "true" : "false") + ",\"inode\":\""
                    + QByteArray::number(quint64(f.inode)) + "\",\"modified\":\""
                    + QByteArray::number(qint64(f.modifiedNs)) + "\",\"size\":\"" + QByteArray::number(qint64(f.size))
                    + "\"}";
            }
            if (!item.trashPath.isEmpty()) {
                out += ',';
                appendPath(out, "trashPath", "trashPathBytes", item.trashPath);
            }
            out += '}';
        }
        out += "]}";
    }
    out += ']';
    return out;
}

QByteArray compactEscapedJson(const QJsonDocument &document)
{
    // Outside strings compact JSON has no "/", so escaping every one is exact.
    QByteArray json = document.toJson(QJsonDocument::Compact);
    json.replace("/", "\\/");
    return json;
}

} // namespace Morvane
