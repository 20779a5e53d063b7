#pragma once

#include <QObject>
#include <QString>

namespace Varnoll {

class CleanerModel;

/// Which item list a results page shows: "applications", "duplicates" and "space"
/// have their own; every other scan page has the plain list ("plain"). The space
/// page, read-only, has no selection bar. UI thread only.
class ItemListKind : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString kind READ kind NOTIFY kindChanged)
    Q_PROPERTY(bool showsSelectionBar READ showsSelectionBar NOTIFY kindChanged)

public:
    explicit ItemListKind(CleanerModel *model, QObject *parent = nullptr);

    [[nodiscard]] QString kind() const;
    [[nodiscard]] bool showsSelectionBar() const;

Q_SIGNALS:
    void kindChanged();

private:
    CleanerModel *m_model;
};

} // namespace Varnoll
