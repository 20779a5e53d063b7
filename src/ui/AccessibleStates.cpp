#include "AccessibleStates.h"

#include <QAccessible>

#ifdef VARNOLL_HAVE_QUICK_PRIVATE
#include <QtQuick/private/qaccessiblequickitem_p.h>
#include <QtQuick/private/qquickaccessibleattached_p.h>
#include <QtQuick/private/qquickitem_p.h>
#endif

namespace Varnoll {

#ifdef VARNOLL_HAVE_QUICK_PRIVATE
namespace {

// Qt's own item interface, told what the view declares. Qt 6.4 reports every Qt Quick
// item as enabled (a screen reader would announce an off "查看并确认…" as a button that
// works), gives a control its class's role whatever the view declared (a file tab was
// heard as a push button), and leaves a popup's own item unnamed.
class QuickItemAsDeclared : public QAccessibleQuickItem {
public:
    using QAccessibleQuickItem::QAccessibleQuickItem;

    QString text(QAccessible::Text kind) const override
    {
        const QString text = QAccessibleQuickItem::text(kind);
        if (kind != QAccessible::Name || !text.isEmpty() || role() != QAccessible::Dialog)
            return text;
        // A popup's own item is an unnamed dialog around the sheet: it takes the sheet's name.
        for (const QQuickItem *child : item()->childItems()) {
            const auto *attached = QQuickAccessibleAttached::attachedProperties(child);
            if (attached && attached->role() == QAccessible::Dialog && !attached->name().isEmpty())
                return attached->name();
        }
        return text;
    }

    QAccessible::Role role() const override
    {
        const auto *attached = QQuickAccessibleAttached::attachedProperties(item());
        if (attached && attached->role() != QAccessible::NoRole)
            return attached->role();
        return QAccessibleQuickItem::role();
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleQuickItem::state();
        if (!item()->isEnabled()) {
            state.disabled = true;
            state.focusable = false;
        }
        return state;
    }
};

QAccessibleInterface *quickItemFactory(const QString &className, QObject *object)
{
    // Asked for each class up the chain; answering at QQuickItem covers every item the
    // way Qt's own factory does, and only items that took part in accessibility. A popup's
    // own item is answered before Qt's page interface takes it: it has no header or footer
    // to order, and its name comes from the sheet inside.
    if (className != QLatin1String("QQuickItem") && className != QLatin1String("QQuickPopupItem"))
        return nullptr;
    auto *item = qobject_cast<QQuickItem *>(object);
    if (!item || !QQuickItemPrivate::get(item)->isAccessible)
        return nullptr;
    return new QuickItemAsDeclared(item);
}

} // namespace
#endif

void installAccessibleStates()
{
#ifdef VARNOLL_HAVE_QUICK_PRIVATE
    // The last factory installed is asked first; installing again moves ours to the end.
    QAccessible::removeFactory(quickItemFactory);
    QAccessible::installFactory(quickItemFactory);
#endif
}

} // namespace Varnoll
