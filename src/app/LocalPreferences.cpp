#include "app/LocalPreferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Varnoll {

namespace {

// Our own string writer: Qt's encoder neither escapes "/" nor keeps lone surrogates
// (the escaped bytes of a non-UTF-8 path), and both must survive.
void appendJsonString(QByteArray &out, const QString &text)
{
    out += '"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        switch (c) {
        case u'"':
            out += "\\\"";
            continue;
        case u'\\':
            out += "\\\\";
            continue;
        case u'/':
            out += "\\/";
            continue;
        case u'\b':
            out += "\\b";
            continue;
        case u'\f':
            out += "\\f";
            continue;
        case u'\n':
            out += "\\n";
            continue;
        case u'\r':
            out += "\\r";
            continue;
        case u'\t':
            out += "\\t";
            continue;
        default:
            break;
        }
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool pairedHigh = high && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (c < 0x20 || (QChar::isSurrogate(c) && !pairedHigh)) {
            out += QByteArray("\\u") + QByteArray::number(c, 16).rightJustified(4, '0');
            continue;
        }
        if (pairedHigh) {
            out += QStringView(text).sliced(i, 2).toUtf8();
            ++i;
            continue;
        }
        out += QStringView(text).sliced(i, 1).toUtf8();
    }
    out += '"';
}

} // namespace

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
        preferences.ignoredPaths.append(value.toString());
    }
    return preferences;
}

} // namespace Varnoll
