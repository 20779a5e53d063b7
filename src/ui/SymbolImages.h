#pragma once

#include <QHash>
#include <QQuickImageProvider>
#include <QString>

namespace Varnoll {

/// The symbols the pages name, drawn from the icon files listed in icons/symbols.tsv.
/// Image ids read "name/weight/rrggbb": weight is thin, light, regular or bold (a
/// ".fill" name has one weight); the colour replaces the icon's own. Rendering needs
/// no shader, so it works under every scene-graph back end.
class SymbolImages : public QQuickImageProvider {
public:
    SymbolImages();

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    /// The icon file behind a symbol name and weight; empty for an unknown name.
    [[nodiscard]] static QString iconFile(const QString &name, const QString &weight);
    /// Every symbol name of the table.
    [[nodiscard]] static QStringList names();
};

} // namespace Varnoll
