#include "SymbolImages.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImageReader>
#include <QPainter>

namespace Varnoll {

namespace {

const QString kIconFolder = QStringLiteral(":/Varnoll/icons/");

/// Symbol name → icon base name, read once from the table.
const QHash<QString, QString> &table()
{
    static const QHash<QString, QString> entries = [] {
        QHash<QString, QString> map;
        QFile file(kIconFolder + QStringLiteral("symbols.tsv"));
        if (!file.open(QIODevice::ReadOnly))
            return map;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray &line : lines) {
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const QList<QByteArray> fields = line.split('\t');
            if (fields.size() == 2)
                map.insert(QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1].trimmed()));
        }
        return map;
    }();
    return entries;
}

} // namespace

SymbolImages::SymbolImages()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

QString SymbolImages::iconFile(const QString &name, const QString &weight)
{
    const auto it = table().constFind(name);
    if (it == table().constEnd())
        return {};
    if (name.endsWith(QLatin1String(".fill")))
        return kIconFolder + *it + QStringLiteral("-fill.svg");
    if (weight == QLatin1String("thin") || weight == QLatin1String("light") || weight == QLatin1String("bold"))
        return kIconFolder + *it + u'-' + weight + QStringLiteral(".svg");
    return kIconFolder + *it + QStringLiteral(".svg");
}

QStringList SymbolImages::names()
{
    return table().keys();
}

QImage SymbolImages::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    const QStringList parts = id.split(u'/');
    const QString name = parts.value(0);
    const QString weight = parts.value(1, QStringLiteral("regular"));
    const QColor color = QColor::fromString(u'#' + parts.value(2, QStringLiteral("000000")));
    const QSize target = requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize : QSize(32, 32);
    if (size)
        *size = target;

    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QString path = iconFile(name, weight);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return image;
    QByteArray svg = file.readAll();
    // The icons draw in currentColor; the opacity goes on separately.
    svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    QBuffer buffer(&svg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "svg");
    reader.setScaledSize(target);
    const QImage drawn = reader.read();
    if (drawn.isNull())
        return image;
    QPainter painter(&image);
    painter.setOpacity(color.alphaF());
    painter.drawImage(0, 0, drawn);
    return image;
}

} // namespace Varnoll
