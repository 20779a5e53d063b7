#pragma once

// What the command-line tools share, so that scripts can rely on the same habits
// everywhere: help and version on stdout with exit 0, a usage error as one line on
// stderr with exit 2 before any work starts, arguments kept byte for byte, and table
// columns measured in terminal cells (a Chinese character takes two).

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <optional>

namespace Varnoll::Cli {

inline constexpr int exitDone = 0;
inline constexpr int exitFailed = 1;
inline constexpr int exitUsage = 2;
inline constexpr int exitCancelled = 130;

/// Writes `text` and a line break; escaped path bytes go out as the bytes they were.
void writeLine(std::FILE *stream, const QString &text);

/// Prints `text` (the help) on stdout; returns exitDone.
int printHelp(const QString &text);
/// Prints "TOOL VERSION" on stdout; returns exitDone.
int printVersion(const QString &tool);
/// Prints "TOOL：PROBLEM（TOOL --help 显示用法）" as one line on stderr; returns exitUsage.
int usageError(const QString &tool, const QString &problem);

/// The command line in the order given. A word that starts with "-" (other than "-"
/// alone) is an option until "--", after which every word is an operand; "--name=value"
/// carries its value. Arguments are decoded losslessly (they are often paths).
class Arguments {
public:
    Arguments(int argc, char **argv);

    struct Item {
        QString text; // the word as given
        bool isOption = false;
        QString name; // options: the part before "=", e.g. "--dir"
        std::optional<QString> inlineValue; // options: the part after "="
    };

    /// True when one of `names` stands as an option before "--" (for --help and
    /// --version, which win over everything else on the line).
    [[nodiscard]] bool hasOption(const QStringList &names) const;
    /// True when no word is left (a "--" is taken here). Call before each next().
    [[nodiscard]] bool atEnd();
    Item next();
    /// The value of `option`: its inline value, else the next word whatever it is
    /// (as getopt does); none at the end of the line.
    std::optional<QString> takeValue(const Item &option);

private:
    QStringList m_words;
    qsizetype m_next = 0;
    bool m_operandsOnly = false;
};

/// A decimal whole number within [minimum, maximum]; none otherwise.
[[nodiscard]] std::optional<std::int64_t> wholeNumber(const QString &text, std::int64_t minimum, std::int64_t maximum);

/// Terminal cells that `text` takes: two for East Asian wide and full-width
/// characters, none for combining marks, one for the rest.
[[nodiscard]] int displayWidth(const QString &text);
/// `text` followed (padEnd) or preceded (padStart) by spaces up to `width` cells.
[[nodiscard]] QString padEnd(const QString &text, int width);
[[nodiscard]] QString padStart(const QString &text, int width);
/// `text` for one table cell: control characters (a line break in a file name)
/// written as escapes, so that one item stays one line.
[[nodiscard]] QString tableCell(const QString &text);

} // namespace Varnoll::Cli
