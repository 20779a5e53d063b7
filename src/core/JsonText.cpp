#include "core/JsonText.h"

#include <QLocale>

#include <cmath>

namespace Morvane {

namespace {

bool hasLoneSurrogate(const QString &text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        return true;
    }
    return false;
}

void appendEscapedUtf8(QByteArray &out, QByteArrayView utf8)
{
    static const char hex[] = "0123456789abcdef";
    const char *data = utf8.data();
    const qsizetype size = utf8.size();
    qsizetype run = 0; // start of the bytes copied as they are
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x20 && c != '"' && c != '\\' && c != '/')
            continue;
        out.append(data + run, i - run);
        run = i + 1;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '/':
            out += "\\/";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default: {
            const char escape[] = { '\\', 'u', '0', '0', hex[c >> 4], hex[c & 15] };
            out.append(escape, 6);
        }
        }
    }
    out.append(data + run, size - run);
}

} // namespace

void appendJsonString(QByteArray &out, const QString &text)
{
    out += '"';
    if (!hasLoneSurrogate(text)) {
        appendEscapedUtf8(out, text.toUtf8());
    } else {
        // Lone surrogates have no UTF-8 form: each is written as an escape, the runs
        // between them as UTF-8.
        const qsizetype size = text.size();
        qsizetype run = 0;
        for (qsizetype i = 0; i < size; ++i) {
            const QChar c = text.at(i);
            if (!c.isSurrogate())
                continue;
            if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
                ++i;
                continue;
            }
            appendEscapedUtf8(out, QStringView(text).sliced(run, i - run).toUtf8());
            out += QByteArray("\\u") + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
            run = i + 1;
        }
        appendEscapedUtf8(out, QStringView(text).sliced(run).toUtf8());
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
