#include "core/JsonText.h"

#include <QLocale>

#include <cmath>

namespace Morvane {

void appendJsonString(QByteArray &out, const QString &text)
{
    out += '"';
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80) {
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
            if (c < 0x20)
                out += QByteArray("\\u") + QByteArray::number(c, 16).rightJustified(4, '0');
            else
                out += char(c);
            continue;
        }
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool pairedHigh = high && i + 1 < size && text.at(i + 1).isLowSurrogate();
        if (QChar::isSurrogate(c) && !pairedHigh) {
            out += QByteArray("\\u") + QByteArray::number(c, 16).rightJustified(4, '0');
            continue;
        }
        const qsizetype length = pairedHigh ? 2 : 1;
        out += QStringView(text).sliced(i, length).toUtf8();
        i += length - 1;
    }
    out += '"';
}

void appendJsonNumber(QByteArray &out, double value)
{
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    if (value == std::trunc(value) && std::fabs(value) < 9007199254740992.0) {
        out += QByteArray::number(qint64(value));
        return;
    }
    out += QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

std::optional<std::vector<QByteArrayView>> splitJsonArray(QByteArrayView json)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    qsizetype i = 0;
    const qsizetype size = json.size();
    while (i < size && isSpace(json[i]))
        ++i;
    if (i == size || json[i] != '[')
        return std::nullopt;
    ++i;
    std::vector<QByteArrayView> elements;
    int depth = 0;
    qsizetype start = -1;
    bool expectElement = false; // after a comma an element must follow
    for (; i < size; ++i) {
        const char c = json[i];
        if (c == '"') {
            if (depth == 0 && start < 0)
                start = i;
            for (++i; i < size && json[i] != '"'; ++i) {
                if (json[i] == '\\')
                    ++i;
            }
            if (i >= size)
                return std::nullopt;
            continue;
        }
        if (isSpace(c))
            continue;
        if (depth == 0 && (c == ',' || c == ']')) {
            if (start < 0) {
                // "[]" is the only place a bracket may follow directly.
                if (c == ',' || expectElement || !elements.empty())
                    return std::nullopt;
            } else {
                qsizetype end = i;
                while (end > start && isSpace(json[end - 1]))
                    --end;
                elements.push_back(json.sliced(start, end - start));
                start = -1;
            }
            if (c == ']') {
                for (++i; i < size; ++i) {
                    if (!isSpace(json[i]))
                        return std::nullopt;
                }
                return elements;
            }
            expectElement = true;
            continue;
        }
        if (start < 0)
            start = i;
        expectElement = false;
        if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (--depth < 0)
                return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace Morvane
