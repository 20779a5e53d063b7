// The shared components and the symbol table, loaded from the window's own module.
#include "support/UiHarness.h"

#include "ApplicationIcons.h"
#include "Renderer.h"
#include "SymbolImages.h"
#include "WindowContext.h"
#include "app/Page.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QQmlComponent>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace VarnollTest;

class WindowComponentsTest : public QObject {
    Q_OBJECT

    QObject *create(UiHarness &h, const QByteArray &qml)
    {
        QQmlComponent component(h.engine.get());
        component.setData("import QtQuick\n" + qml, QUrl(QStringLiteral("qrc:/Varnoll/Probe.qml")));
        QObject *object = component.create();
        if (!object)
            qWarning() << component.errorString();
        return object;
    }

private Q_SLOTS:
    void initTestCase() { Varnoll::prepareApplicationLook(); }

    void bundleIconIsDecodedFromItsIcnsFile()
    {
        const auto pngOf = [](int extent, QColor colour) {
            QImage image(extent, extent, QImage::Format_ARGB32);
            image.fill(colour);
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            return bytes;
        };
        const auto entry = [](const char *type, const QByteArray &body) {
            QByteArray out(type, 4);
            const quint32 length = quint32(8 + body.size());
            for (int shift : { 24, 16, 8, 0 })
                out.append(char(length >> shift));
            return out + body;
        };
        const QByteArray entries = entry("ic12", pngOf(64, Qt::red)) + entry("ic07", pngOf(128, Qt::blue));
        const QByteArray icns = entry("icns", entries);
        QTemporaryDir dir;
        const QString bundle = dir.filePath(QStringLiteral("Tool 工具.app"));
        QVERIFY(QDir().mkpath(bundle + QStringLiteral("/Contents/Resources")));
        QFile info(bundle + QStringLiteral("/Contents/Info.plist"));
        QVERIFY(info.open(QIODevice::WriteOnly));
        info.write("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                   "<key>CFBundleIconFile</key><string>AppIcon</string></dict></plist>");
        info.close();
        QFile file(bundle + QStringLiteral("/Contents/Resources/AppIcon.icns"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(icns);
        file.close();

        Varnoll::ApplicationIcons icons;
        const QString id
            = QString::fromLatin1(QFile::encodeName(bundle).toPercentEncoding()) + QStringLiteral("/org.example.tool");
        QSize size;
        // 64 points ask for the 128-pixel picture, 32 for the 64-pixel one.
        QPixmap pixmap = icons.requestPixmap(id, &size, QSize(64, 64));
        QCOMPARE(size, QSize(64, 64));
        QCOMPARE(pixmap.toImage().pixelColor(32, 32), QColor(Qt::blue));
        pixmap = icons.requestPixmap(id, &size, QSize(32, 32));
        QCOMPARE(size, QSize(32, 32));
        QCOMPARE(pixmap.toImage().pixelColor(16, 16), QColor(Qt::red));

        // A broken container gives no image; the row keeps its symbol.
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(icns.chopped(1));
        file.close();
        QVERIFY(icons.requestPixmap(id, &size, QSize(64, 64)).isNull());
        QCOMPARE(size, QSize(0, 0));
    }

    void launcherIconComesFromTheThemeOrTheFileItNames()
    {
        const auto writePng = [](const QString &path, QColor colour) {
            QDir().mkpath(QFileInfo(path).path());
            QImage image(48, 48, QImage::Format_ARGB32);
            image.fill(colour);
            return image.save(path, "PNG");
        };
        const auto writeLauncher = [](const QString &path, const QString &icon) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                return false;
            file.write("[Desktop Entry]\nType=Application\nName=Tool\nIcon[de]=wrong\nIcon=" + icon.toUtf8() + "\n");
            return true;
        };
        QTemporaryDir dir;
        // A theme folder as the desktop's data folders hold one.
        const QString icons = dir.filePath(QStringLiteral("icons"));
        QVERIFY(writePng(icons + QStringLiteral("/hicolor/48x48/apps/org.example.Themed.png"), Qt::green));
        QFile index(icons + QStringLiteral("/hicolor/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n");
        index.close();
        // What a desktop session gives: a theme (offscreen has none) and its folders.
        QIcon::setThemeName(QStringLiteral("hicolor"));
        QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << icons);
        const QString themed = dir.filePath(QStringLiteral("applications/org.example.Themed.desktop"));
        QVERIFY(writeLauncher(themed, QStringLiteral("org.example.Themed")));
        const QString named = dir.filePath(QStringLiteral("applications/tool.desktop"));
        const QString file = dir.filePath(QStringLiteral("opt/tool/tool.png"));
        QVERIFY(writePng(file, Qt::magenta));
        QVERIFY(writeLauncher(named, file));
        const QString missing = dir.filePath(QStringLiteral("applications/gone.desktop"));
        QVERIFY(writeLauncher(missing, QStringLiteral("org.example.NoSuchIcon")));

        const auto idOf = [](const QString &launcher) {
            return QString::fromLatin1(QFile::encodeName(launcher).toPercentEncoding()) + QStringLiteral("/x");
        };
        Varnoll::ApplicationIcons provider;
        QSize size;
        QPixmap pixmap = provider.requestPixmap(idOf(themed), &size, QSize(32, 32));
        QCOMPARE(size, QSize(32, 32));
        QCOMPARE(pixmap.toImage().pixelColor(16, 16), QColor(Qt::green));
        pixmap = provider.requestPixmap(idOf(named), &size, QSize(32, 32));
        QCOMPARE(pixmap.toImage().pixelColor(16, 16), QColor(Qt::magenta));
        // Neither in the theme nor a file: no image, the row keeps its symbol.
        QVERIFY(provider.requestPixmap(idOf(missing), &size, QSize(32, 32)).isNull());
    }

    void everySymbolNameHasItsIconFiles()
    {
        QStringList used;
        for (Varnoll::Page page : Varnoll::allPages)
            used.append(Varnoll::pageSymbol(page));
        for (int raw = 0; raw < Morvane::fileCategoryCount; ++raw)
            used.append(Morvane::categorySymbol(*Morvane::fileCategoryFromRaw(raw)));
        // And every literal symbol name in the views.
        const QRegularExpression literal(
            QStringLiteral("(?:name|emptySymbol)\\s*:\\s*(?:[^\"\\n]*\\?\\s*)?\"([a-z0-9.]+)\""));
        QDirIterator it(QStringLiteral(":/Varnoll"), { QStringLiteral("*.qml") });
        int files = 0;
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            ++files;
            const QString text = QString::fromUtf8(file.readAll());
            for (auto match = literal.globalMatch(text); match.hasNext();)
                used.append(match.next().captured(1));
        }
        QVERIFY(files >= 20);
        QVERIFY(used.contains(QStringLiteral("checkmark.square.fill")));
        QVERIFY(used.contains(QStringLiteral("leaf.fill")));
        used.removeDuplicates();
        for (const QString &name : std::as_const(used)) {
            for (const char *weight : { "thin", "light", "regular", "bold" }) {
                const QString path = Varnoll::SymbolImages::iconFile(name, QString::fromLatin1(weight));
                QVERIFY2(!path.isEmpty(), qPrintable(name));
                QVERIFY2(QFile::exists(path), qPrintable(path));
            }
        }
        QVERIFY(QFile::exists(QStringLiteral(":/Varnoll/icons/LICENSE")));
    }

    void symbolsTakeTheirColour()
    {
        Varnoll::SymbolImages images;
        QSize size;
        const QImage image = images.requestImage(QStringLiteral("square/bold/D9612F"), &size, QSize(32, 32));
        QCOMPARE(size, QSize(32, 32));
        int painted = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() == 255) {
                    ++painted;
                    QCOMPARE(pixel.rgb(), QColor(0xD9, 0x61, 0x2F).rgb());
                }
            }
        }
        QVERIFY(painted > 50);
        const QImage unknown = images.requestImage(QStringLiteral("no.such.symbol/regular/000000"), &size, QSize(8, 8));
        QCOMPARE(unknown.pixelColor(4, 4).alpha(), 0);
    }

    void inkButtonColoursFollowItsFlags()
    {
        UiHarness h;
        QVERIFY(h.load());
        struct Case {
            QByteArray flags;
            QColor text, fill, border;
        };
        const QColor forest(0x14, 0x33, 0x2A), inverse(0xF5, 0xF2, 0xE8), card(Qt::white), border(0xE3, 0xDD, 0xCE);
        const QList<Case> cases {
            { "primary: true; inverse: true", forest, inverse, Qt::transparent },
            { "primary: true", inverse, forest, Qt::transparent },
            { "inverse: true", forest, inverse, border },
            { "", forest, card, border },
        };
        for (const Case &c : cases) {
            std::unique_ptr<QObject> button(create(h, "InkButton { text: \"好\"; " + c.flags + " }"));
            QVERIFY(button);
            auto *background = button->property("background").value<QObject *>();
            auto *content = button->property("contentItem").value<QObject *>();
            QCOMPARE(content->property("color").value<QColor>(), c.text);
            QCOMPARE(background->property("color").value<QColor>(), c.fill);
            QCOMPARE(background->property("radius").toReal(), 10.0);
            const QVariant pen = background->property("border");
            QObject *penObject = pen.value<QObject *>();
            if (penObject)
                QCOMPARE(penObject->property("color").value<QColor>(), c.border);
            QVERIFY(button->property("implicitHeight").toReal() >= 40);
        }
        // A disabled button looks disabled; pressing dims it less than that.
        std::unique_ptr<QObject> off(create(h, "InkButton { text: \"好\"; enabled: false }"));
        QVERIFY(off);
        QVERIFY(off->property("opacity").toReal() < 0.72);
        off->setProperty("enabled", true);
        QCOMPARE(off->property("opacity").toReal(), 1.0);
    }

    void processorRasterisersAreTold()
    {
        QVERIFY(Varnoll::isProcessorRasteriser("llvmpipe (LLVM 15.0.6, 256 bits)"));
        QVERIFY(Varnoll::isProcessorRasteriser("Software Rasterizer"));
        QVERIFY(Varnoll::isProcessorRasteriser("softpipe"));
        QVERIFY(!Varnoll::isProcessorRasteriser("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
        QVERIFY(!Varnoll::isProcessorRasteriser("AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6, DRM 3.49)"));
        QVERIFY(!Varnoll::isProcessorRasteriser(QByteArray()));
    }

    void brandMarkScalesProportionally()
    {
        UiHarness h;
        QVERIFY(h.load());
        std::unique_ptr<QObject> mark(create(h, "BrandMark { size: 36 }"));
        QVERIFY(mark);
        auto *item = qobject_cast<QQuickItem *>(mark.get());
        const QList<QQuickItem *> layers = item->childItems();
        QCOMPARE(layers.size(), 3);
        QCOMPARE(layers.at(0)->property("radius").toReal(), 36 * 0.28);
        QCOMPARE(layers.at(1)->rotation(), -25.0);
        QCOMPARE(layers.at(2)->width(), 36 * 0.14);
        // The dot's centre sits 9 right of and 9 above the mark's centre.
        QCOMPARE(layers.at(2)->x() + layers.at(2)->width() / 2 - 18, 9.0);
        QCOMPARE(18 - (layers.at(2)->y() + layers.at(2)->height() / 2), 9.0);
    }
};

QTEST_MAIN(WindowComponentsTest)
#include "window_components_test.moc"
