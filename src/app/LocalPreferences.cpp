#include "app/LocalPreferences.h"

#include "core/JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Varnoll {

using Morvane::appendJsonString;

QByteArray LocalPreferences::toJson() const
{
    QByteArray out = "{\"ignoredPaths\":[";
    for (qsizetype i = 0; i < ignoredPaths.size(); ++i) {
        if (i > 0)
            out += ',';
        appendJsonString(out, ignoredPaths.at(i));
    }
    out += "]}";
    return out;
}

std::optional<LocalPreferences> LocalPreferences::fromJson(const QByteArray &json)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue list = document.object().value(QStringLiteral("ignoredPaths"));
    if (!list.isArray())
        return std::nullopt;
    LocalPreferences preferences;
    for (const QJsonValue &value : list.toArray()) {
        if (!value.isString())
            return std::nullopt;
        // An empty path would lie "inside" nothing and cover everything: never kept.
        if (!value.toString().isEmpty())
            preferences.ignoredPaths.append(value.toString());
    }
    return preferences;
}

} // namespace Varnoll
