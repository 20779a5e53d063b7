// The one byte formatter and the small text helpers every page uses.
#include "app/Format.h"
#include "core/Paths.h"

#include <QTest>

using namespace Varnoll;

class FormatTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bytesUseDecimalFileStyle_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << QStringLiteral("零 KB");
        QTest::newRow("one byte") << qint64(1) << QStringLiteral("1 字节");
        QTest::newRow("999") << qint64(999) << QStringLiteral("999 字节");
        QTest::newRow("1000") << qint64(1000) << QStringLiteral("1 KB");
        QTest::newRow("1500") << qint64(1500) << QStringLiteral("2 KB");
        QTest::newRow("999499") << qint64(999499) << QStringLiteral("999 KB");
        QTest::newRow("999500 rounds up a unit") << qint64(999500) << QStringLiteral("1 MB");
        QTest::newRow("1.5 MB") << qint64(1500000) << QStringLiteral("1.5 MB");
        QTest::newRow("2 MB") << qint64(2000000) << QStringLiteral("2 MB");
        QTest::newRow("mebibyte") << qint64(1048576) << QStringLiteral("1 MB");
        QTest::newRow("GB") << qint64(1234567890) << QStringLiteral("1.23 GB");
        QTest::newRow("TB") << qint64(2500000000000) << QStringLiteral("2.5 TB");
        QTest::newRow("negative") << qint64(-1500000) << QStringLiteral("-1.5 MB");
        QTest::newRow("max") << std::numeric_limits<qint64>::max() << QStringLiteral("9.22 EB");
    }

    void bytesUseDecimalFileStyle()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(formatBytes(bytes), text);
    }

    void sizeTextMarksIncompleteSizes()
    {
        QCOMPARE(sizeText(1500000, true), QStringLiteral("1.5 MB"));
        QCOMPARE(sizeText(1500000, false), QStringLiteral("≥ 1.5 MB"));
        QCOMPARE(sizeText(0, false), QStringLiteral("待统计"));
        QCOMPARE(sizeText(-3, false), QStringLiteral("待统计"));
        QCOMPARE(sizeText(0, true), QStringLiteral("零 KB"));
    }

    void homeIsAbbreviatedOnlyBeforeASlash()
    {
        const QString home = QStringLiteral("/Users/a");
        QCOMPARE(abbreviateHome(QStringLiteral("/Users/a/Downloads"), home), QStringLiteral("~/Downloads"));
        QCOMPARE(abbreviateHome(QStringLiteral("/Users/a"), home), QStringLiteral("/Users/a"));
        QCOMPARE(abbreviateHome(QStringLiteral("/Users/ab/x"), home), QStringLiteral("/Users/ab/x"));
        QCOMPARE(abbreviateHome(QStringLiteral("/tmp/x"), home), QStringLiteral("/tmp/x"));
        QCOMPARE(abbreviateHome(QStringLiteral("/Users/a/"), home), QStringLiteral("~/"));
        const QString bad = Morvane::pathFromBytes(QByteArray("/Users/a/\xff"));
        QCOMPARE(abbreviateHome(bad, home), QStringLiteral("~/\uFFFD"));
    }

    void coverageWords()
    {
        QCOMPARE(coverageWord(std::nullopt), QStringLiteral("未扫描"));
        const QStringList words = { QStringLiteral("已完成"), QStringLiteral("部分扫描"), QStringLiteral("未扫描"),
            QStringLiteral("已跳过"), QStringLiteral("无法读取"), QStringLiteral("目录不存在"),
            QStringLiteral("目录不存在") };
        for (int state = 0; state < words.size(); ++state)
            QCOMPARE(coverageWord(Morvane::CoverageState(state)), words.at(state));
        QCOMPARE(coverageWord(Morvane::CoverageState(255)), QStringLiteral("目录不存在"));
    }
};

QTEST_GUILESS_MAIN(FormatTest)
#include "format_test.moc"
