#include "cli/CommandLine.h"

#include "core/Paths.h"

#include <QChar>

namespace Varnoll::Cli {

void writeLine(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = Morvane::pathToBytes(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fputc('\n', stream);
}

int printHelp(const QString &text)
{
    writeLine(stdout, text.endsWith(u'\n') ? text.chopped(1) : text);
    return exitDone;
}

int printVersion(const QString &tool)
{
    writeLine(stdout, tool + u' ' + QStringLiteral(VARNOLL_VERSION));
    return exitDone;
}

int usageError(const QString &tool, const QString &problem)
{
    writeLine(stderr,
        tool + QStringLiteral("：") + tableCell(problem) + QStringLiteral("（") + tool
            + QStringLiteral(" --help 显示用法）"));
    return exitUsage;
}

Arguments::Arguments(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        m_words.append(Morvane::pathFromBytes(QByteArray(argv[i])));
}

bool Arguments::hasOption(const QStringList &names) const
{
    for (const QString &word : m_words) {
        if (word == QLatin1String("--"))
            return false;
        if (names.contains(word))
            return true;
    }
    return false;
}

bool Arguments::atEnd()
{
    if (!m_operandsOnly && m_next < m_words.size() && m_words.at(m_next) == QLatin1String("--")) {
        m_operandsOnly = true;
        ++m_next;
    }
    return m_next >= m_words.size();
}

Arguments::Item Arguments::next()
{
    Item item;
    item.text = m_words.at(m_next++);
    if (m_operandsOnly || !item.text.startsWith(u'-') || item.text == QLatin1String("-"))
        return item;
    item.isOption = true;
    const qsizetype equals = item.text.startsWith(QLatin1String("--")) ? item.text.indexOf(u'=') : -1;
    item.name = equals < 0 ? item.text : item.text.first(equals);
    if (equals >= 0)
        item.inlineValue = item.text.mid(equals + 1);
    return item;
}

std::optional<QString> Arguments::takeValue(const Item &option)
{
    if (option.inlineValue)
        return option.inlineValue;
    if (m_next >= m_words.size())
        return std::nullopt;
    return m_words.at(m_next++);
}

std::optional<std::int64_t> wholeNumber(const QString &text, std::int64_t minimum, std::int64_t maximum)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

namespace {

bool isWide(char32_t c)
{
    // East Asian wide and full-width blocks (Hangul, CJK, kana, full-width forms,
    // the pictographs that terminals draw two cells wide).
    static constexpr char32_t ranges[][2] = {
        { 0x1100, 0x115F },
        { 0x2E80, 0x303E },
        { 0x3041, 0x33FF },
        { 0x3400, 0x4DBF },
        { 0x4E00, 0x9FFF },
        { 0xA000, 0xA4CF },
        { 0xA960, 0xA97F },
        { 0xAC00, 0xD7A3 },
        { 0xF900, 0xFAFF },
        { 0xFE10, 0xFE19 },
        { 0xFE30, 0xFE6F },
        { 0xFF00, 0xFF60 },
        { 0xFFE0, 0xFFE6 },
        { 0x1F300, 0x1F64F },
        { 0x1F900, 0x1F9FF },
        { 0x20000, 0x2FFFD },
        { 0x30000, 0x3FFFD },
    };
    for (const auto &range : ranges) {
        if (c < range[0])
            return false;
        if (c <= range[1])
            return true;
    }
    return false;
}

} // namespace

int displayWidth(const QString &text)
{
    int width = 0;
    for (const char32_t c : text.toUcs4()) {
        switch (QChar::category(c)) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_Enclosing:
        case QChar::Other_Format:
        case QChar::Other_Control:
            continue;
        default:
            width += isWide(c) ? 2 : 1;
        }
    }
    return width;
}

QString padEnd(const QString &text, int width)
{
    return text + QString(std::max(0, width - displayWidth(text)), u' ');
}

QString padStart(const QString &text, int width)
{
    return QString(std::max(0, width - displayWidth(text)), u' ') + text;
}

QString tableCell(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u != 0x7F) {
            out.append(c);
        } else if (u == u'\n') {
            out.append(QLatin1String("\\n"));
        } else if (u == u'\t') {
            out.append(QLatin1String("\\t"));
        } else {
            out.append(QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0')));
        }
    }
    return out;
}

} // namespace Varnoll::Cli
