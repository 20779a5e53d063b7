#include "core/BundleIcon.h"

#include "core/Paths.h"
#include "core/Plist.h"
#include "core/Posix.h"
#include "core/SmallFile.h"

#include <QVariantMap>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace Morvane {

namespace {

constexpr std::uint32_t fourCC(const char (&code)[5])
{
    return std::uint32_t(std::uint8_t(code[0])) << 24 | std::uint32_t(std::uint8_t(code[1])) << 16
        | std::uint32_t(std::uint8_t(code[2])) << 8 | std::uint32_t(std::uint8_t(code[3]));
}

std::uint32_t bigEndian32(const char *p)
{
    const auto *u = reinterpret_cast<const std::uint8_t *>(p);
    return std::uint32_t(u[0]) << 24 | std::uint32_t(u[1]) << 16 | std::uint32_t(u[2]) << 8 | std::uint32_t(u[3]);
}

// The widths the PNG-capable types stand for; 0 for every other type.
int pixelsOfType(std::uint32_t type)
{
    switch (type) {
    case fourCC("icp4"):
    case fourCC("ic04"):
        return 16;
    case fourCC("icp5"):
    case fourCC("ic05"):
    case fourCC("ic11"):
        return 32;
    case fourCC("icp6"):
    case fourCC("ic12"):
        return 64;
    case fourCC("ic07"):
        return 128;
    case fourCC("ic08"):
    case fourCC("ic13"):
        return 256;
    case fourCC("ic09"):
    case fourCC("ic14"):
        return 512;
    case fourCC("ic10"):
        return 1024;
    default:
        return 0;
    }
}

constexpr char pngSignature[] = "\x89PNG\r\n\x1a\n";

bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(u'/')
        && !name.contains(QChar(0));
}

// Opens bundle/Contents/<folder…>/<name> one component at a time, refusing a symbolic
// link at every step, so nothing outside the bundle is reached through one.
UniqueFd openInContents(const QString &bundle, std::initializer_list<const char *> folders, const QString &name)
{
    UniqueFd dir(::open(pathToBytes(bundle).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir)
        return {};
    for (const char *folder : folders) {
        dir = UniqueFd(::openat(dir.get(), folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!dir)
            return {};
    }
    // O_NONBLOCK: a FIFO planted under the icon's name must not hang the reader.
    return UniqueFd(
        ::openat(dir.get(), pathToBytes(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

std::optional<QByteArray> readRegular(UniqueFd fd, qint64 limit)
{
    if (!fd)
        return std::nullopt;
    BoundedRead read = readBounded(std::move(fd), { limit, FinalLink::refuse, false });
    if (!read.ok())
        return std::nullopt;
    return std::move(read.data);
}

bool isRegular(const UniqueFd &fd)
{
    struct stat st { };
    return fd && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode);
}

QStringList iconNameCandidates(const QString &bundle)
{
    const auto info
        = readRegular(openInContents(bundle, { "Contents" }, QStringLiteral("Info.plist")), qint64(8) * 1024 * 1024);
    if (!info)
        return {};
    const auto plist = parsePropertyList(*info);
    if (!plist)
        return {};
    const QVariantMap map = plist->toMap();
    QStringList names;
    const QVariant file = map.value(QStringLiteral("CFBundleIconFile"));
    if (file.typeId() == QMetaType::QString) {
        const QString name = file.toString();
        names << (name.endsWith(QLatin1String(".icns"), Qt::CaseInsensitive) ? name : name + QLatin1String(".icns"));
    }
    const QVariant assetName = map.value(QStringLiteral("CFBundleIconName"));
    if (assetName.typeId() == QMetaType::QString)
        names << assetName.toString() + QLatin1String(".icns");
    names.removeIf([](const QString &name) { return !isPlainName(name) || name == QLatin1String(".icns"); });
    return names;
}

} // namespace

std::optional<QList<IcnsPicture>> icnsPngPictures(QByteArrayView data)
{
    if (data.size() < 8 || std::memcmp(data.data(), "icns", 4) != 0)
        return std::nullopt;
    // 64-bit arithmetic throughout: a stated length near 4 GiB must not wrap.
    const std::uint64_t total = bigEndian32(data.data() + 4);
    if (total < 8 || total > std::uint64_t(data.size()))
        return std::nullopt;
    QList<IcnsPicture> pictures;
    std::uint64_t offset = 8;
    while (offset < total) {
        if (total - offset < 8)
            return std::nullopt;
        const std::uint32_t type = bigEndian32(data.data() + offset);
        const std::uint64_t length = bigEndian32(data.data() + offset + 4);
        // A length below the entry's own header would never advance; one past the
        // container's end would read what does not belong to it.
        if (length < 8 || length > total - offset)
            return std::nullopt;
        const QByteArrayView body = data.sliced(qsizetype(offset + 8), qsizetype(length - 8));
        const int pixels = pixelsOfType(type);
        if (pixels > 0 && body.size() >= 8 && std::memcmp(body.data(), pngSignature, 8) == 0)
            pictures.append({ type, pixels, qsizetype(offset + 8), body.size() });
        offset += length;
    }
    return pictures;
}

std::optional<QByteArray> icnsPng(QByteArrayView data, int pixels)
{
    const auto pictures = icnsPngPictures(data);
    if (!pictures || pictures->isEmpty())
        return std::nullopt;
    const IcnsPicture *best = nullptr;
    for (const IcnsPicture &p : *pictures) {
        if (!best)
            best = &p;
        const int distance = std::abs(p.pixels - pixels);
        const int bestDistance = std::abs(best->pixels - pixels);
        if (distance < bestDistance || (distance == bestDistance && p.pixels > best->pixels))
            best = &p;
    }
    return data.sliced(best->offset, best->length).toByteArray();
}

std::optional<QString> bundleIconFile(const QString &bundle)
{
    for (const QString &name : iconNameCandidates(bundle)) {
        if (isRegular(openInContents(bundle, { "Contents", "Resources" }, name)))
            return joinPath(bundle, QStringLiteral("Contents/Resources/") + name);
    }
    return std::nullopt;
}

std::optional<QByteArray> bundleIconPng(const QString &bundle, int pixels)
{
    for (const QString &name : iconNameCandidates(bundle)) {
        UniqueFd fd = openInContents(bundle, { "Contents", "Resources" }, name);
        if (!isRegular(fd))
            continue;
        // The first icon file found (the one bundleIconFile names) is the icon, whatever it holds.
        const auto data = readRegular(std::move(fd), icnsFileLimit);
        if (!data)
            return std::nullopt;
        return icnsPng(*data, pixels);
    }
    return std::nullopt;
}

} // namespace Morvane
