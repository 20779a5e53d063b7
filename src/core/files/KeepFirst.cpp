#include "core/files/KeepFirst.h"

#include "core/Paths.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <string_view>

namespace Morvane {

namespace {

bool equalsIgnoringAsciiCase(QByteArrayView a, std::string_view b)
{
    if (a.size() != qsizetype(b.size()))
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != b[size_t(i)])
            return false;
    }
    return true;
}

constexpr std::array<std::string_view, 15> transientComponents = {
    "downloads",
    "download",
    "下载",
    "tmp",
    "temp",
    ".tmp",
    "temporary items",
    "cache",
    "caches",
    ".cache",
    ".trash",
    "trash",
    ".trashes",
    "废纸篓",
    "回收站",
};

constexpr std::array<std::string_view, 4> transientPrefixes = {
    "/tmp/",
    "/var/tmp/",
    "/private/tmp/",
    "/private/var/folders/",
};

} // namespace

bool isInTransientFolder(QByteArrayView path, qsizetype rootLength)
{
    for (std::string_view prefix : transientPrefixes) {
        if (qsizetype(prefix.size()) > rootLength + 1
            && path.startsWith(QByteArrayView(prefix.data(), qsizetype(prefix.size()))))
            return true;
    }
    qsizetype start = std::min(rootLength + 1, path.size());
    const qsizetype last = path.lastIndexOf('/'); // the file's own name does not count
    while (start < last) {
        qsizetype end = path.indexOf('/', start);
        if (end < 0 || end > last)
            end = last;
        const QByteArrayView component = path.sliced(start, end - start);
        for (std::string_view word : transientComponents) {
            if (equalsIgnoringAsciiCase(component, word))
                return true;
        }
        start = end + 1;
    }
    return false;
}

bool looksLikeCopyName(QByteArrayView name)
{
    // " (1)", "(2)", " copy", " copy 2", "_copy", " - Copy", " 副本", " - 副本 (2)", "拷贝".
    static const QRegularExpression copySuffix(
        QStringLiteral(R"((\s*\(\d+\)|[\s_-]+copy(\s*\d+)?|\s*-?\s*(副本|拷贝)(\s*\(?\d+\)?)?)$)"),
        QRegularExpression::CaseInsensitiveOption);
    QString stem = pathFromBytes(name);
    const qsizetype dot = stem.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        stem.truncate(dot);
    return copySuffix.match(stem).hasMatch();
}

void orderForKeeping(std::vector<DuplicateCandidate> &copies, qsizetype rootLength)
{
    struct Key {
        bool transient;
        bool copyName;
        std::int64_t modifiedNs;
        qsizetype length;
    };
    std::vector<std::pair<Key, DuplicateCandidate>> keyed;
    keyed.reserve(copies.size());
    for (DuplicateCandidate &c : copies) {
        const qsizetype slash = c.path.lastIndexOf('/');
        const QByteArrayView name = QByteArrayView(c.path).sliced(slash + 1);
        keyed.push_back({ Key { isInTransientFolder(c.path, rootLength), looksLikeCopyName(name), c.identity.modifiedNs,
                              pathFromBytes(c.path).size() },
            std::move(c) });
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) {
        const Key &x = a.first;
        const Key &y = b.first;
        if (x.transient != y.transient)
            return !x.transient;
        if (x.copyName != y.copyName)
            return !x.copyName;
        if (x.modifiedNs != y.modifiedNs)
            return x.modifiedNs < y.modifiedNs;
        if (x.length != y.length)
            return x.length < y.length;
        return a.second.path < b.second.path;
    });
    copies.clear();
    for (auto &[key, c] : keyed)
        copies.push_back(std::move(c));
}

} // namespace Morvane
