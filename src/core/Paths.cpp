#include "core/Paths.h"

#include <QStringList>

namespace Morvane {

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when it is not valid
// (overlong forms, surrogates and values above U+10FFFF are invalid).
int validSequenceLength(const unsigned char *s, qsizetype n, qsizetype i)
{
    const unsigned char c = s[i];
    if (c < 0x80)
        return 1;
    int len = 0;
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + len > n)
        return 0;
    for (int k = 1; k < len; ++k) {
        const unsigned char cc = s[i + k];
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    if (cp >= 0xD800 && cp <= 0xDFFF)
        return 0;
    return len;
}

bool isEscapedByte(QChar ch)
{
    return ch.unicode() >= 0xDC80 && ch.unicode() <= 0xDCFF;
}

} // namespace

QString pathFromBytes(QByteArrayView bytes)
{
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < n) {
        const int len = validSequenceLength(s, n, i);
        if (len > 0) {
            i += len;
            continue;
        }
        if (i > runStart)
            out += QString::fromUtf8(bytes.sliced(runStart, i - runStart));
        out += QChar(char16_t(0xDC00 + s[i]));
        ++i;
        runStart = i;
    }
    if (runStart == 0)
        return QString::fromUtf8(bytes);
    if (n > runStart)
        out += QString::fromUtf8(bytes.sliced(runStart, n - runStart));
    return out;
}

QByteArray pathToBytes(const QString &path)
{
    if (!pathHasEscapedBytes(path))
        return path.toUtf8();
    QByteArray out;
    out.reserve(path.size() * 3);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar ch = path.at(i);
        if (!isEscapedByte(ch))
            continue;
        // A high surrogate right before it would make it a pair, which decoding never
        // produces; treat it as escaped anyway so that encoding never fails.
        out += QStringView(path).sliced(runStart, i - runStart).toUtf8();
        out += char(ch.unicode() - 0xDC00);
        runStart = i + 1;
    }
    out += QStringView(path).sliced(runStart).toUtf8();
    return out;
}

bool pathHasEscapedBytes(const QString &path)
{
    for (QChar ch : path) {
        if (isEscapedByte(ch))
            return true;
    }
    return false;
}

QString displayPath(const QString &path)
{
    if (!pathHasEscapedBytes(path))
        return path;
    QString out = path;
    for (QChar &ch : out) {
        if (isEscapedByte(ch))
            ch = QChar(QChar::ReplacementCharacter);
    }
    return out;
}

QString homeShortened(const QString &path, const QString &home, qsizetype maximum)
{
    QString shown = displayPath(path);
    if (!home.isEmpty() && home != QLatin1String("/")) {
        const QString prefix = displayPath(home.endsWith(u'/') ? home : home + u'/');
        if (shown.startsWith(prefix))
            shown = u'~' + shown.mid(prefix.size() - 1);
    }
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

QString lastComponent(const QString &path)
{
    if (path == QLatin1String("/"))
        return path;
    QStringView view(path);
    while (view.size() > 1 && view.endsWith(u'/'))
        view.chop(1);
    const qsizetype slash = view.lastIndexOf(u'/');
    return slash < 0 ? view.toString() : view.sliced(slash + 1).toString();
}

QString parentPath(const QString &path)
{
    QStringView view(path);
    while (view.size() > 1 && view.endsWith(u'/'))
        view.chop(1);
    const qsizetype slash = view.lastIndexOf(u'/');
    if (slash < 0)
        return view.toString();
    if (slash == 0)
        return QStringLiteral("/");
    return view.first(slash).toString();
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

bool isSameOrInside(const QString &path, const QString &folder)
{
    if (path == folder)
        return true;
    if (folder == QLatin1String("/"))
        return path.startsWith(u'/');
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    return path.startsWith(prefix);
}

QString lexicallyNormal(const QString &path)
{
    QStringList parts;
    for (const QString &part : path.split(u'/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return u'/' + parts.join(u'/');
}

} // namespace Morvane
