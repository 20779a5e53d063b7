import QtQuick
import QtQuick.Layouts
import Varnoll.Model

// The filter bar of the large-files and installers pages: size, age and, on large
// files only, type. Each real change drops the result computed with the old values.
RowLayout {
    objectName: "fileFiltersView"
    spacing: 16
    enabled: Filters.enabled

    FilterPicker {
        objectName: "sizePicker"
        Layout.preferredWidth: 180
        title: "大小"
        options: Filters.sizeOptions
        selected: Filters.sizeIndex
        onChosen: index => Filters.chooseSize(index)
    }
    FilterPicker {
        objectName: "agePicker"
        Layout.preferredWidth: 195
        title: "修改时间"
        options: Filters.ageOptions
        selected: Filters.ageIndex
        onChosen: index => Filters.chooseAge(index)
    }
    FilterPicker {
        objectName: "typePicker"
        visible: Filters.showsTypePicker
        Layout.preferredWidth: 200
        title: "类型"
        options: Filters.typeOptions
        selected: Filters.typeIndex
        onChosen: index => Filters.chooseType(index)
    }
    Item { Layout.fillWidth: true }
}
