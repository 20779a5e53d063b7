// The window through the accessibility interface a screen reader uses: names and roles
// on every page and sheet, and Press and Toggle doing what a click does.
#include "support/PageSamples.h"
#include "support/SampleData.h"
#include "support/UiHarness.h"

#include "WindowContext.h"

#include <QAccessible>
#include <QTest>

#include <functional>

using namespace VarnollTest;
using Varnoll::Page;

namespace {

// What a user acts on: each needs a name a screen reader can say.
bool isInteractive(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::PageTab:
    case QAccessible::ListItem:
    case QAccessible::EditableText:
    case QAccessible::ComboBox:
    case QAccessible::Link:
    case QAccessible::MenuItem:
    case QAccessible::List:
    case QAccessible::Dialog:
    case QAccessible::AlertMessage:
        return true;
    default:
        return false;
    }
}

void walk(QAccessibleInterface *node, const std::function<void(QAccessibleInterface *)> &visit, int depth = 0)
{
    if (!node || !node->isValid() || depth > 64)
        return;
    visit(node);
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), visit, depth + 1);
}

struct Seen {
    QStringList unnamed;
    QMultiHash<QAccessible::Role, QString> named;
    QStringList texts;
};

Seen survey(QQuickWindow *window)
{
    Seen seen;
    walk(QAccessible::queryAccessibleInterface(window), [&](QAccessibleInterface *node) {
        const QAccessible::State state = node->state();
        if (state.invisible)
            return;
        const QString name = node->text(QAccessible::Name);
        const QAccessible::Role role = node->role();
        if (role == QAccessible::StaticText || role == QAccessible::Heading)
            seen.texts.append(name);
        if (!isInteractive(role))
            return;
        if (name.trimmed().isEmpty()) {
            QObject *object = node->object();
            seen.unnamed.append(
                QStringLiteral("%1 (role %2)")
                    .arg(object ? QString::fromLatin1(object->metaObject()->className()) + u' ' + object->objectName()
                                : QStringLiteral("?"))
                    .arg(int(role), 0, 16));
        } else {
            seen.named.insert(role, name);
        }
    });
    return seen;
}

QAccessibleInterface *accessibleOf(QObject *object)
{
    return object ? QAccessible::queryAccessibleInterface(object) : nullptr;
}

bool act(QObject *object, const QString &action)
{
    QAccessibleInterface *node = accessibleOf(object);
    if (!node || !node->actionInterface() || !node->actionInterface()->actionNames().contains(action))
        return false;
    node->actionInterface()->doAction(action);
    return true;
}

} // namespace

class WindowAccessTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        Varnoll::prepareApplicationLook();
        QAccessible::setActive(true);
    }

    void everyPageAndSheetNamesWhatCanBeUsed()
    {
        struct State {
            const char *name;
            std::function<void(UiHarness &)> prepare;
            QStringList mustSay;
        };
        const QList<State> states = {
            { "overview", [](UiHarness &) {}, { QStringLiteral("查看清理记录"), QStringLiteral("应用卸载") } },
            { "junk",
                [](UiHarness &h) {
                    h.model->navigate(Page::junk);
                    h.publish(sampleJunk(h));
                    h.model->toggle(h.model->visibleEntries().constFirst());
                },
                { QStringLiteral("选择或取消当前列表的全部项目"), QStringLiteral("搜索文件或路径"),
                    QStringLiteral("查看并确认…"), QStringLiteral("扫描完成，请查看结果") } },
            { "largeFiles",
                [](UiHarness &h) {
                    h.model->navigate(Page::largeFiles);
                    h.publish(sampleLargeFiles(h));
                    h.find(QStringLiteral("filterPanel"), true)->setProperty("expanded", true);
                },
                { QStringLiteral("大小"), QStringLiteral("更换文件夹…"), QStringLiteral("重复文件") } },
            { "applications",
                [](UiHarness &h) {
                    h.model->navigate(Page::applications);
                    h.publish(sampleApplications(h));
                },
                { QStringLiteral("搜索应用") } },
            { "duplicates",
                [](UiHarness &h) {
                    h.model->navigate(Page::duplicates);
                    h.publish(sampleDuplicates(h));
                },
                {} },
            { "space",
                [](UiHarness &h) {
                    h.model->navigate(Page::space);
                    h.publish(sampleSpace(h));
                },
                { QStringLiteral("地图") } },
            { "history", [](UiHarness &h) { restartWithStore(h, sampleRecords(h), {}); }, {} },
            { "settings", [](UiHarness &h) { h.model->navigate(Page::settings); }, { QStringLiteral("了解扫描范围") } },
            { "review",
                [](UiHarness &h) {
                    h.model->navigate(Page::largeFiles);
                    h.publish(sampleLargeFiles(h));
                    h.model->toggleVisible();
                    h.model->setShowReview(true);
                },
                { QStringLiteral("取消") } },
            { "policy", [](UiHarness &h) { h.model->setShowPolicy(true); }, { QStringLiteral("知道了") } },
            { "notice",
                [](UiHarness &h) {
                    h.fixture.core->onScan = [](ScanKind, const QString &, const FileQuery &, const ProgressFn &,
                                                 const CancellationToken &) -> ScanResult {
                        throw Morvane::ScanError(QStringLiteral("无法读取"));
                    };
                    h.model->scan(ScanKind::junk);
                    waitIdle(*h.model);
                },
                { QStringLiteral("关闭提示") } },
        };
        for (const State &state : states) {
            UiHarness h;
            const bool history = QByteArray(state.name) == "history";
            if (history)
                state.prepare(h);
            QVERIFY(h.load());
            if (history) {
                h.model->navigate(Page::history);
                h.openHistoryRecords();
            } else {
                state.prepare(h);
            }
            h.settle(100);
            // As a screen reader started after the window finds it (controls reset their roles).
            QAccessible::setActive(false);
            QAccessible::setActive(true);
            const Seen seen = survey(h.window);
            QVERIFY2(
                seen.unnamed.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(state.name, seen.unnamed.join(u'\n'))));
            const QStringList said = seen.named.values() + seen.texts;
            for (const QString &text : state.mustSay)
                QVERIFY2(said.contains(text), qPrintable(QStringLiteral("%1: %2").arg(state.name, text)));
            // Headings and totals are there as text, not only the controls.
            QVERIFY2(!seen.texts.isEmpty(), state.name);
        }
    }

    void pressAndToggleDoWhatAClickDoes()
    {
        UiHarness h;
        QVERIFY(h.load());
        // Buttons: a sidebar entry, the start button, a tab, a disclosure.
        QVERIFY(act(
            h.find(QStringLiteral("nav_%1").arg(int(Page::largeFiles))), QAccessibleActionInterface::pressAction()));
        h.settle();
        QCOMPARE(h.model->page(), Page::largeFiles);
        QVERIFY(act(h.find(QStringLiteral("tab_%1").arg(int(Page::installers)), true),
            QAccessibleActionInterface::pressAction()));
        h.settle();
        QCOMPARE(h.model->page(), Page::installers);
        // A screen reader that starts after the window keeps hearing the tabs as tabs
        // (Qt's controls reset their role when accessibility switches on).
        QAccessible::setActive(false);
        QAccessible::setActive(true);
        QCOMPARE(accessibleOf(h.find(QStringLiteral("tab_%1").arg(int(Page::installers)), true))->role(),
            QAccessible::PageTab);
        QObject *filters = h.find(QStringLiteral("filterPanel"), true);
        QVERIFY(act(inside(filters, QStringLiteral("disclosureLabel")), QAccessibleActionInterface::toggleAction()));
        QVERIFY(filters->property("expanded").toBool());
        h.model->navigate(Page::largeFiles);
        h.settle();
        QVERIFY(act(h.find(QStringLiteral("startButton"), true), QAccessibleActionInterface::pressAction()));
        QVERIFY(waitIdle(*h.model));
        QVERIFY(h.publish(sampleLargeFiles(h)));

        // With nothing ticked the review button is off: heard as off, and Press does nothing.
        QObject *review = h.find(QStringLiteral("reviewButton"), true);
        QCOMPARE(accessibleOf(review)->state().disabled, 1);
        act(review, QAccessibleActionInterface::pressAction());
        h.settle();
        QVERIFY(!h.model->showReview());

        // Check boxes: a row's and select-all; the row itself toggles as its default action.
        QList<QQuickItem *> rows = h.rows();
        QVERIFY(rows.size() >= 2);
        QVERIFY(act(inside(rows.at(0), QStringLiteral("rowCheck")), QAccessibleActionInterface::toggleAction()));
        h.settle();
        QCOMPARE(h.model->selection().size(), 1);
        QVERIFY(act(inside(rows.at(1), QStringLiteral("fileRow")), QAccessibleActionInterface::pressAction()));
        h.settle();
        QCOMPARE(h.model->selection().size(), 2);
        QVERIFY(act(h.find(QStringLiteral("selectAll"), true), QAccessibleActionInterface::toggleAction()));
        h.settle();
        QCOMPARE(h.model->selection().size(), h.model->visibleEntries().size());
        QCOMPARE(accessibleOf(h.find(QStringLiteral("selectAll"), true))->state().checked, 1);
        QCOMPARE(accessibleOf(review)->state().disabled, 0);

        // The selection bar opens the review; its cancel closes it.
        QVERIFY(act(h.find(QStringLiteral("reviewButton"), true), QAccessibleActionInterface::pressAction()));
        h.settle();
        QVERIFY(h.model->showReview());
        QVERIFY(act(h.find(QStringLiteral("reviewCancel"), true), QAccessibleActionInterface::pressAction()));
        h.settle();
        QVERIFY(!h.model->showReview());
    }
};

QTEST_MAIN(WindowAccessTest)
#include "window_access_test.moc"
