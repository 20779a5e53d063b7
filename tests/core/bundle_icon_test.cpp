#include "core/BundleIcon.h"
#include "core/support/FileToolsTree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <utility>

using namespace Morvane;
using TestTree::writeFile;

namespace {

QByteArray bigEndian(std::uint32_t v)
{
    QByteArray out(4, 0);
    out[0] = char(v >> 24);
    out[1] = char(v >> 16);
    out[2] = char(v >> 8);
    out[3] = char(v);
    return out;
}

// A stand-in PNG: the signature and a tag that tells the pictures apart.
QByteArray png(const char *tag)
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + tag;
}

QByteArray entry(const char *type, const QByteArray &body)
{
    return QByteArray(type, 4) + bigEndian(std::uint32_t(8 + body.size())) + body;
}

QByteArray icns(const QByteArray &entries)
{
    return "icns" + bigEndian(std::uint32_t(8 + entries.size())) + entries;
}

// Every kind of entry a real icon file has: a table of contents, raw and JPEG 2000
// pictures, and PNGs at several sizes.
QByteArray typicalIcns()
{
    return icns(entry("TOC ", bigEndian(0)) + entry("ic04", "ARGB....") + entry("ic11", png("32"))
        + entry("ic12", png("64")) + entry("ic07", png("128"))
        + entry("ic08", QByteArray("\0\0\0\x0cjP  \r\n\x87\n", 12)) + entry("ic13", png("256")));
}

QByteArray xmlInfo(const QString &key, const QString &value)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                          "<key>CFBundleIdentifier</key><string>org.example.tool</string>"
                          "<key>%1</key>%2</dict></plist>\n")
        .arg(key, value)
        .toUtf8();
}

// {key: value} as a binary property list: a one-entry dictionary and two ASCII strings.
QByteArray binaryInfo(const QByteArray &key, const QByteArray &value)
{
    QByteArray out("bplist00");
    const auto string
        = [&out](const QByteArray &s) { out.append(char(0x5F)).append(char(0x10)).append(char(s.size())).append(s); };
    QByteArray offsets;
    offsets.append(char(out.size()));
    out.append(char(0xD1)).append(char(1)).append(char(2));
    offsets.append(char(out.size()));
    string(key);
    offsets.append(char(out.size()));
    string(value);
    const int table = int(out.size());
    out += offsets;
    QByteArray trailer(32, 0);
    trailer[6] = 1;
    trailer[7] = 1;
    trailer[15] = 3;
    trailer[31] = char(table);
    return out + trailer;
}

QString makeBundle(const QTemporaryDir &dir, const QString &name, const QByteArray &info)
{
    const QString bundle = dir.filePath(name);
    writeFile(bundle + "/Contents/Info.plist", info);
    QDir().mkpath(bundle + "/Contents/Resources");
    return bundle;
}

} // namespace

class BundleIconTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void picksThePngNearestTheWantedSize()
    {
        const QByteArray data = typicalIcns();
        const auto pictures = icnsPngPictures(data);
        QVERIFY(pictures);
        QCOMPARE(pictures->size(), 4); // the ARGB and JPEG 2000 pictures are passed over
        QCOMPARE(icnsPng(data, 128), png("128"));
        QCOMPARE(icnsPng(data, 64), png("64"));
        QCOMPARE(icnsPng(data, 96), png("128")); // a tie goes to the larger
        QCOMPARE(icnsPng(data, 200), png("256"));
        QCOMPARE(icnsPng(data, 4096), png("256"));
        QCOMPARE(icnsPng(data, 1), png("32"));
        // Bytes after the stated total belong to no entry.
        const QByteArray trailing = icns(entry("ic12", png("64"))) + entry("ic07", png("128"));
        QCOMPARE(icnsPng(trailing, 128), png("64"));
    }

    void malformedContainersGiveNothing_data()
    {
        QTest::addColumn<QByteArray>("data");
        const QByteArray good = icns(entry("ic07", png("128")));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("wrong magic") << QByteArray("icnx") + good.mid(4);
        QTest::newRow("total below a header") << QByteArray("icns") + bigEndian(4) + entry("ic07", png("128"));
        QTest::newRow("truncated file") << good.left(good.size() - 1);
        QTest::newRow("total beyond the file") << QByteArray("icns") + bigEndian(4096) + good.mid(8);
        QTest::newRow("total near 4 GiB") << QByteArray("icns") + bigEndian(0xFFFFFFFFu) + good.mid(8);
        QTest::newRow("entry length zero")
            << icns(entry("ic12", png("64")) + QByteArray("ic07") + bigEndian(0) + png("128"));
        QTest::newRow("entry length below its header") << icns(QByteArray("ic07") + bigEndian(7) + png("128"));
        QTest::newRow("entry length overflows")
            << icns(entry("ic12", png("64")) + QByteArray("ic07") + bigEndian(0xFFFFFFF8u) + png("128"));
        QTest::newRow("entry beyond the total")
            << icns(QByteArray("ic07") + bigEndian(std::uint32_t(8 + png("128").size() + 1)) + png("128"));
        QTest::newRow("half an entry header") << icns(entry("ic07", png("128")) + "ic08");
    }

    void malformedContainersGiveNothing()
    {
        QFETCH(QByteArray, data);
        QCOMPARE(icnsPngPictures(data), std::nullopt);
        QCOMPARE(icnsPng(data, 128), std::nullopt);
    }

    void containerWithoutPngGivesNothing()
    {
        const QByteArray data = icns(entry("ic04", "ARGB....") + entry("ic10", QByteArray("\0\0\0\x0cjP  ", 8))
            + entry("icnV", bigEndian(0)) + entry("xxxx", png("not an icon type")));
        QCOMPARE(icnsPngPictures(data)->size(), 0);
        QCOMPARE(icnsPng(data, 128), std::nullopt);
        // A PNG signature cut short is no PNG.
        QCOMPARE(icnsPng(icns(entry("ic07", QByteArray("\x89PNG", 4))), 128), std::nullopt);
    }

    void bundleNamesItsIconFileInInfoPlist()
    {
        QTemporaryDir dir;
        // Without and with the extension, and the asset name as a fallback.
        const QString plain = makeBundle(dir, "Plain.app", xmlInfo("CFBundleIconFile", "<string>AppIcon</string>"));
        writeFile(plain + "/Contents/Resources/AppIcon.icns", typicalIcns());
        QCOMPARE(bundleIconFile(plain), std::optional<QString>(plain + "/Contents/Resources/AppIcon.icns"));
        QCOMPARE(bundleIconPng(plain, 128), png("128"));

        const QString dotted
            = makeBundle(dir, "Dotted.app", xmlInfo("CFBundleIconFile", "<string>My.Icon.icns</string>"));
        writeFile(dotted + "/Contents/Resources/My.Icon.icns", typicalIcns());
        QCOMPARE(bundleIconPng(dotted, 64), png("64"));

        const QString asset = makeBundle(dir, "Asset.app", xmlInfo("CFBundleIconName", "<string>AppIcon</string>"));
        writeFile(asset + "/Contents/Resources/AppIcon.icns", typicalIcns());
        QCOMPARE(bundleIconPng(asset, 256), png("256"));

        // A binary Info.plist reads the same.
        const QString binary = makeBundle(dir, "Binary.app", binaryInfo("CFBundleIconFile", "Tool"));
        writeFile(binary + "/Contents/Resources/Tool.icns", typicalIcns());
        QCOMPARE(bundleIconPng(binary, 128), png("128"));

        // The named file missing, a folder in its place: the asset name is tried next.
        const QString both = makeBundle(dir, "Both.app",
            xmlInfo("CFBundleIconFile", "<string>Gone</string><key>CFBundleIconName</key><string>Real</string>"));
        QDir().mkpath(both + "/Contents/Resources/Gone.icns");
        writeFile(both + "/Contents/Resources/Real.icns", typicalIcns());
        QCOMPARE(bundleIconFile(both), std::optional<QString>(both + "/Contents/Resources/Real.icns"));
        QCOMPARE(bundleIconPng(both, 128), png("128"));
    }

    void bundleWithoutAUsableIconGivesNothing()
    {
        QTemporaryDir dir;
        const QString noKey = makeBundle(dir, "NoKey.app", xmlInfo("CFBundleName", "<string>AppIcon</string>"));
        writeFile(noKey + "/Contents/Resources/AppIcon.icns", typicalIcns());
        QCOMPARE(bundleIconFile(noKey), std::nullopt);
        QCOMPARE(bundleIconPng(noKey, 128), std::nullopt);

        const QString number = makeBundle(dir, "Number.app", xmlInfo("CFBundleIconFile", "<integer>7</integer>"));
        writeFile(number + "/Contents/Resources/7.icns", typicalIcns());
        QCOMPARE(bundleIconFile(number), std::nullopt);

        const QString noPlist = dir.filePath("NoPlist.app");
        writeFile(noPlist + "/Contents/Resources/AppIcon.icns", typicalIcns());
        QCOMPARE(bundleIconPng(noPlist, 128), std::nullopt);

        const QString missing = makeBundle(dir, "Missing.app", xmlInfo("CFBundleIconFile", "<string>AppIcon</string>"));
        QCOMPARE(bundleIconFile(missing), std::nullopt);

        const QString truncated
            = makeBundle(dir, "Truncated.app", xmlInfo("CFBundleIconFile", "<string>AppIcon</string>"));
        writeFile(truncated + "/Contents/Resources/AppIcon.icns", typicalIcns().chopped(3));
        QVERIFY(bundleIconFile(truncated)); // the file is there, its content is not usable
        QCOMPARE(bundleIconPng(truncated, 128), std::nullopt);

        const QString noPng = makeBundle(dir, "NoPng.app", xmlInfo("CFBundleIconFile", "<string>AppIcon</string>"));
        writeFile(noPng + "/Contents/Resources/AppIcon.icns", icns(entry("ic04", "ARGB....")));
        QCOMPARE(bundleIconPng(noPng, 128), std::nullopt);

        // Larger than any icon: not read at all, however well-formed its start.
        const QString huge = makeBundle(dir, "Huge.app", xmlInfo("CFBundleIconFile", "<string>AppIcon</string>"));
        writeFile(huge + "/Contents/Resources/AppIcon.icns", typicalIcns());
        QCOMPARE(
            ::truncate(QFile::encodeName(huge + "/Contents/Resources/AppIcon.icns").constData(), icnsFileLimit + 1), 0);
        QCOMPARE(bundleIconPng(huge, 128), std::nullopt);
    }

    void iconNameNeverLeadsOutOfTheBundle()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("outside/AppIcon.icns"), typicalIcns());
        writeFile(dir.filePath("Secret.icns"), typicalIcns());

        const QString climbing
            = makeBundle(dir, "Climbing.app", xmlInfo("CFBundleIconFile", "<string>../../../Secret</string>"));
        QCOMPARE(bundleIconFile(climbing), std::nullopt);
        QCOMPARE(bundleIconPng(climbing, 128), std::nullopt);

        // A linked icon file, and a linked Resources folder.
        const QString linkedFile
            = makeBundle(dir, "LinkedFile.app", xmlInfo("CFBundleIconFile", "<string>AppIcon</string>"));
        QCOMPARE(::symlink(QFile::encodeName(dir.filePath("outside/AppIcon.icns")).constData(),
                     QFile::encodeName(linkedFile + "/Contents/Resources/AppIcon.icns").constData()),
            0);
        QCOMPARE(bundleIconFile(linkedFile), std::nullopt);
        QCOMPARE(bundleIconPng(linkedFile, 128), std::nullopt);

        const QString linkedFolder
            = makeBundle(dir, "LinkedFolder.app", xmlInfo("CFBundleIconFile", "<string>AppIcon</string>"));
        QVERIFY(QDir().rmdir(linkedFolder + "/Contents/Resources"));
        QCOMPARE(::symlink(QFile::encodeName(dir.filePath("outside")).constData(),
                     QFile::encodeName(linkedFolder + "/Contents/Resources").constData()),
            0);
        QCOMPARE(bundleIconFile(linkedFolder), std::nullopt);
        QCOMPARE(bundleIconPng(linkedFolder, 128), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(BundleIconTest)
#include "bundle_icon_test.moc"
