#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace Morvane {

// The icon of a macOS application bundle: Contents/Info.plist names an .icns file in
// Contents/Resources, and the .icns container holds the same picture at several sizes.
// Bundles are untrusted input: every length is checked against the data, the file
// size is bounded, and no symbolic link inside the bundle is followed. The core only
// finds the PNG bytes; decoding them is the views' business.

/// Files larger than this are not read as icons.
inline constexpr qint64 icnsFileLimit = qint64(8) * 1024 * 1024;

/// One PNG picture inside an .icns container.
struct IcnsPicture {
    std::uint32_t type = 0; // four-character code, e.g. 'ic07'
    int pixels = 0; // width in pixels the type stands for
    qsizetype offset = 0; // of the PNG data in the container
    qsizetype length = 0;
};

/// The PNG pictures of an .icns container (types icp4..icp6, ic04, ic05, ic07..ic14),
/// in file order. Entries of other types, and JPEG 2000 or raw pictures, are passed
/// over. None when the container is malformed: no "icns" header, a total length that
/// is shorter than a header or longer than `data`, or an entry whose length is shorter
/// than its own header or runs past the total.
[[nodiscard]] std::optional<QList<IcnsPicture>> icnsPngPictures(QByteArrayView data);

/// The PNG data of the picture nearest `pixels` wide (the larger one on a tie); none
/// when the container is malformed or holds no PNG picture.
[[nodiscard]] std::optional<QByteArray> icnsPng(QByteArrayView data, int pixels);

/// The icon file a bundle names: CFBundleIconFile (".icns" added when missing), else
/// CFBundleIconName + ".icns", in Contents/Resources. None when Info.plist cannot be
/// read, names no icon, the name is not a plain file name, or the file is not a
/// regular file reached without a symbolic link from the bundle.
[[nodiscard]] std::optional<QString> bundleIconFile(const QString &bundle);

/// The PNG data of a bundle's icon nearest `pixels` wide; none when there is no icon
/// file, it is larger than icnsFileLimit, malformed, or holds no PNG picture.
[[nodiscard]] std::optional<QByteArray> bundleIconPng(const QString &bundle, int pixels);

} // namespace Morvane
