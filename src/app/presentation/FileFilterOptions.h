#pragma once

#include <QObject>
#include <QStringList>

namespace Varnoll {

class CleanerModel;

/// The filter bar of the file pages: the pickers' option texts, which option each
/// picker shows as chosen (-1 when the model holds a value no option offers), whether
/// the type picker is present and whether the bar can be used. Choosing an option
/// stores the value and calls changeFileFilters() once; choosing the option that
/// already holds, or anything while the model is busy, does nothing. UI thread only.
class FileFilterOptions : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList sizeOptions READ sizeOptions CONSTANT)
    Q_PROPERTY(QStringList ageOptions READ ageOptions CONSTANT)
    Q_PROPERTY(QStringList typeOptions READ typeOptions CONSTANT)
    Q_PROPERTY(int sizeIndex READ sizeIndex NOTIFY sizeIndexChanged)
    Q_PROPERTY(int ageIndex READ ageIndex NOTIFY ageIndexChanged)
    Q_PROPERTY(int typeIndex READ typeIndex NOTIFY typeIndexChanged)
    Q_PROPERTY(bool showsTypePicker READ showsTypePicker NOTIFY showsTypePickerChanged)
    Q_PROPERTY(bool enabled READ enabled NOTIFY enabledChanged)

public:
    explicit FileFilterOptions(CleanerModel *model, QObject *parent = nullptr);

    [[nodiscard]] QStringList sizeOptions() const;
    [[nodiscard]] QStringList ageOptions() const;
    [[nodiscard]] QStringList typeOptions() const;
    [[nodiscard]] int sizeIndex() const;
    [[nodiscard]] int ageIndex() const;
    [[nodiscard]] int typeIndex() const;
    [[nodiscard]] bool showsTypePicker() const;
    [[nodiscard]] bool enabled() const;

    Q_INVOKABLE void chooseSize(int index);
    Q_INVOKABLE void chooseAge(int index);
    Q_INVOKABLE void chooseType(int index);

Q_SIGNALS:
    void sizeIndexChanged();
    void ageIndexChanged();
    void typeIndexChanged();
    void showsTypePickerChanged();
    void enabledChanged();

private:
    CleanerModel *m_model;
};

} // namespace Varnoll
