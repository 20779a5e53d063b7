#include "core/files/FileTypes.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace Morvane {

namespace {

struct ExtensionRow {
    std::string_view extension; // lower case, without the dot
    FileTypeFilter type;
    bool installer;
};

using T = FileTypeFilter;

// Kept sorted by extension (checked once below); lookups are a binary search.
constexpr std::array extensionTable = std::to_array<ExtensionRow>({
    { "3gp", T::videos, false },
    { "7z", T::archives, false },
    { "aac", T::audio, false },
    { "aif", T::audio, false },
    { "aiff", T::audio, false },
    { "alac", T::audio, false },
    { "apk", T::archives, true },
    { "appimage", T::archives, true },
    { "arw", T::images, false },
    { "avi", T::videos, false },
    { "avif", T::images, false },
    { "azw3", T::documents, false },
    { "bmp", T::images, false },
    { "bz2", T::archives, false },
    { "cab", T::archives, false },
    { "cr2", T::images, false },
    { "cr3", T::images, false },
    { "csv", T::documents, false },
    { "deb", T::archives, true },
    { "djvu", T::documents, false },
    { "dmg", T::archives, true },
    { "dng", T::images, false },
    { "doc", T::documents, false },
    { "docx", T::documents, false },
    { "epub", T::documents, false },
    { "exe", T::archives, true },
    { "flac", T::audio, false },
    { "flatpak", T::archives, true },
    { "flatpakref", T::archives, true },
    { "flv", T::videos, false },
    { "gif", T::images, false },
    { "gz", T::archives, false },
    { "heic", T::images, false },
    { "heif", T::images, false },
    { "ico", T::images, false },
    { "iso", T::archives, true },
    { "jpeg", T::images, false },
    { "jpg", T::images, false },
    { "jxl", T::images, false },
    { "key", T::documents, false },
    { "lz", T::archives, false },
    { "lzma", T::archives, false },
    { "m2ts", T::videos, false },
    { "m4a", T::audio, false },
    { "m4v", T::videos, false },
    { "md", T::documents, false },
    { "mid", T::audio, false },
    { "midi", T::audio, false },
    { "mkv", T::videos, false },
    { "mobi", T::documents, false },
    { "mov", T::videos, false },
    { "mp3", T::audio, false },
    { "mp4", T::videos, false },
    { "mpeg", T::videos, false },
    { "mpg", T::videos, false },
    { "mpkg", T::archives, true },
    { "msi", T::archives, true },
    { "mts", T::videos, false },
    { "nef", T::images, false },
    { "numbers", T::documents, false },
    { "odp", T::documents, false },
    { "ods", T::documents, false },
    { "odt", T::documents, false },
    { "oga", T::audio, false },
    { "ogg", T::audio, false },
    { "ogv", T::videos, false },
    { "opus", T::audio, false },
    { "orf", T::images, false },
    { "pages", T::documents, false },
    { "pdf", T::documents, false },
    { "pkg", T::archives, true },
    { "png", T::images, false },
    { "ppt", T::documents, false },
    { "pptx", T::documents, false },
    { "psd", T::images, false },
    { "rar", T::archives, false },
    { "rpm", T::archives, true },
    { "rtf", T::documents, false },
    { "run", T::archives, true },
    { "rw2", T::images, false },
    { "snap", T::archives, true },
    { "svg", T::images, false },
    { "tar", T::archives, false },
    { "tbz2", T::archives, false },
    { "tex", T::documents, false },
    { "tgz", T::archives, false },
    { "tif", T::images, false },
    { "tiff", T::images, false },
    { "txt", T::documents, false },
    { "txz", T::archives, false },
    { "vob", T::videos, false },
    { "wav", T::audio, false },
    { "webm", T::videos, false },
    { "webp", T::images, false },
    { "wma", T::audio, false },
    { "wmv", T::videos, false },
    { "xcf", T::images, false },
    { "xip", T::archives, true },
    { "xls", T::documents, false },
    { "xlsx", T::documents, false },
    { "xps", T::documents, false },
    { "xz", T::archives, false },
    { "z", T::archives, false },
    { "zip", T::archives, false },
    { "zst", T::archives, false },
});

constexpr bool tableIsSorted()
{
    for (size_t i = 1; i < extensionTable.size(); ++i) {
        if (!(extensionTable[i - 1].extension < extensionTable[i].extension))
            return false;
    }
    return true;
}
static_assert(tableIsSorted(), "keep the extension table sorted");

constexpr size_t longestExtension = 10; // "flatpakref"

// Installers that are folders, per rule set.
struct BundleRow {
    std::string_view extension; // lower case, without the dot
    RulePlatform platform;
};

constexpr std::array installerBundleTable = std::to_array<BundleRow>({
    { "mpkg", RulePlatform::MacOS },
    { "pkg", RulePlatform::MacOS },
});

// The extension in lower case, written to `lower`; empty when there is none, it is a
// dot file such as ".run" that is all extension, or it is longer than any in the tables.
std::string_view lowerExtension(QByteArrayView name, char (&lower)[longestExtension])
{
    const qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0 || dot + 1 >= name.size())
        return {};
    const qsizetype length = name.size() - dot - 1;
    if (size_t(length) > longestExtension)
        return {};
    for (qsizetype i = 0; i < length; ++i) {
        const char c = name[dot + 1 + i];
        lower[i] = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
    return std::string_view(lower, size_t(length));
}

const ExtensionRow *rowForName(QByteArrayView name)
{
    char lower[longestExtension];
    const std::string_view extension = lowerExtension(name, lower);
    if (extension.empty())
        return nullptr;
    const auto it = std::lower_bound(extensionTable.begin(), extensionTable.end(), extension,
        [](const ExtensionRow &row, std::string_view e) { return row.extension < e; });
    if (it == extensionTable.end() || it->extension != extension)
        return nullptr;
    return &*it;
}

bool startsWith(QByteArrayView head, qsizetype offset, std::string_view magic)
{
    if (head.size() < offset + qsizetype(magic.size()))
        return false;
    return std::memcmp(head.data() + offset, magic.data(), magic.size()) == 0;
}

} // namespace

FileTypeFilter fileTypeOfName(QByteArrayView name)
{
    const ExtensionRow *row = rowForName(name);
    return row ? row->type : FileTypeFilter::all;
}

bool isInstallerName(QByteArrayView name)
{
    const ExtensionRow *row = rowForName(name);
    return row && row->installer;
}

bool isInstallerBundleName(QByteArrayView name, RulePlatform platform)
{
    char lower[longestExtension];
    const std::string_view extension = lowerExtension(name, lower);
    return !extension.empty()
        && std::any_of(installerBundleTable.begin(), installerBundleTable.end(),
            [&](const BundleRow &row) { return row.platform == platform && row.extension == extension; });
}

FileTypeFilter fileTypeOfContent(QByteArrayView head)
{
    using namespace std::string_view_literals;
    if (startsWith(head, 0, "%PDF-"sv))
        return T::documents;
    if (startsWith(head, 0, "\x89PNG\r\n\x1a\n"sv) || startsWith(head, 0, "\xff\xd8\xff"sv)
        || startsWith(head, 0, "GIF87a"sv) || startsWith(head, 0, "GIF89a"sv) || startsWith(head, 0, "II*\0"sv)
        || startsWith(head, 0, "MM\0*"sv) || startsWith(head, 0, "8BPS"sv))
        return T::images;
    if (startsWith(head, 0, "RIFF"sv)) {
        if (startsWith(head, 8, "WEBP"sv))
            return T::images;
        if (startsWith(head, 8, "WAVE"sv))
            return T::audio;
        if (startsWith(head, 8, "AVI "sv))
            return T::videos;
        return T::all;
    }
    if (startsWith(head, 4, "ftyp"sv)) { // ISO media: the brand tells pictures and sound from film
        for (std::string_view brand : { "heic"sv, "heix"sv, "mif1"sv, "msf1"sv, "avif"sv }) {
            if (startsWith(head, 8, brand))
                return T::images;
        }
        if (startsWith(head, 8, "M4A "sv) || startsWith(head, 8, "M4B "sv))
            return T::audio;
        return T::videos;
    }
    if (startsWith(head, 0, "\x1a\x45\xdf\xa3"sv) || startsWith(head, 0, "FLV\x01"sv))
        return T::videos;
    if (startsWith(head, 0, "ID3"sv) || startsWith(head, 0, "fLaC"sv) || startsWith(head, 0, "OggS"sv)
        || startsWith(head, 0, "FORM"sv))
        return T::audio;
    if (startsWith(head, 0, "PK\x03\x04"sv) || startsWith(head, 0, "Rar!\x1a\x07"sv)
        || startsWith(head, 0, "7z\xbc\xaf\x27\x1c"sv) || startsWith(head, 0, "\x1f\x8b"sv)
        || startsWith(head, 0,
            "\xfd"
            "7zXZ\0"sv)
        || startsWith(head, 0, "BZh"sv) || startsWith(head, 0, "\x28\xb5\x2f\xfd"sv) || startsWith(head, 0, "xar!"sv)
        || startsWith(head, 0, "!<arch>\ndebian"sv) || startsWith(head, 0, "\xed\xab\xee\xdb"sv)
        || startsWith(head, 0, "MZ"sv) || startsWith(head, 257, "ustar"sv))
        return T::archives;
    return T::all;
}

} // namespace Morvane
