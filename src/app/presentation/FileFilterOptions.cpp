#include "app/presentation/FileFilterOptions.h"

#include "app/CleanerModel.h"
#include "app/presentation/PageTexts.h"

namespace Varnoll {

namespace {

QStringList texts(const QList<PageTexts::Option> &options)
{
    QStringList list;
    for (const PageTexts::Option &option : options)
        list.append(option.text);
    return list;
}

} // namespace

FileFilterOptions::FileFilterOptions(CleanerModel *model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    connect(model, &CleanerModel::minimumSizeMBChanged, this, &FileFilterOptions::sizeIndexChanged);
    connect(model, &CleanerModel::olderThanDaysChanged, this, &FileFilterOptions::ageIndexChanged);
    connect(model, &CleanerModel::fileTypeChanged, this, &FileFilterOptions::typeIndexChanged);
    connect(model, &CleanerModel::pageChanged, this, &FileFilterOptions::showsTypePickerChanged);
    connect(model, &CleanerModel::busyChanged, this, &FileFilterOptions::enabledChanged);
}

QStringList FileFilterOptions::sizeOptions() const
{
    return texts(PageTexts::sizeOptions());
}

QStringList FileFilterOptions::ageOptions() const
{
    return texts(PageTexts::ageOptions());
}

QStringList FileFilterOptions::typeOptions() const
{
    return texts(PageTexts::typeOptions());
}

int FileFilterOptions::sizeIndex() const
{
    return PageTexts::optionIndex(PageTexts::sizeOptions(), m_model->minimumSizeMB());
}

int FileFilterOptions::ageIndex() const
{
    return PageTexts::optionIndex(PageTexts::ageOptions(), m_model->olderThanDays());
}

int FileFilterOptions::typeIndex() const
{
    return PageTexts::optionIndex(PageTexts::typeOptions(), m_model->fileTypeRaw());
}

bool FileFilterOptions::showsTypePicker() const
{
    return m_model->page() == Page::largeFiles;
}

bool FileFilterOptions::enabled() const
{
    return !m_model->busy();
}

void FileFilterOptions::chooseSize(int index)
{
    const auto &options = PageTexts::sizeOptions();
    if (m_model->busy() || index < 0 || index >= options.size())
        return;
    if (options.at(index).value == m_model->minimumSizeMB())
        return;
    m_model->setMinimumSizeMB(options.at(index).value);
    m_model->changeFileFilters();
}

void FileFilterOptions::chooseAge(int index)
{
    const auto &options = PageTexts::ageOptions();
    if (m_model->busy() || index < 0 || index >= options.size())
        return;
    if (options.at(index).value == m_model->olderThanDays())
        return;
    m_model->setOlderThanDays(options.at(index).value);
    m_model->changeFileFilters();
}

void FileFilterOptions::chooseType(int index)
{
    const auto &options = PageTexts::typeOptions();
    if (m_model->busy() || !showsTypePicker() || index < 0 || index >= options.size())
        return;
    if (options.at(index).value == m_model->fileTypeRaw())
        return;
    m_model->setFileTypeRaw(options.at(index).value);
    m_model->changeFileFilters();
}

} // namespace Varnoll
