#pragma once

#include <QQuickImageProvider>

namespace Varnoll {

/// Icons of found applications, as "image://appicon/<path>/<identifier>" (the
/// path's bytes and the identifier percent-encoded, see entryRow). A macOS bundle's icon is the PNG picture of its
/// .icns file nearest twice the requested size; on Linux the launcher's Icon= is looked up in the icon theme, or read
/// from the file it names. An application without one yields a null image, and the row shows its
/// generic symbol instead.
class ApplicationIcons : public QQuickImageProvider {
public:
    ApplicationIcons();

    QPixmap requestPixmap(const QString &id, QSize *size, const QSize &requestedSize) override;
};

} // namespace Varnoll
