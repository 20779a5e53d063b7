import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The applications page's list: one card per application, its own row and, folded
// away, the rows of its settings and data.
ColumnLayout {
    objectName: "applicationResultsView"
    spacing: 10

    RowLayout {
        Layout.fillWidth: true
        Text {
            objectName: "applicationCount"
            text: Applications.headerText
            font.pixelSize: 13
            font.weight: Font.Medium
        }
        Item { Layout.fillWidth: true }
        TextField {
            objectName: "applicationSearch"
            implicitWidth: 240
            placeholderText: "搜索应用"
            text: Cleaner.search
            onTextEdited: Cleaner.search = text
            font.pixelSize: 12
            background: Rectangle {
                radius: 8
                color: Ink.card
                border.width: 1
                border.color: Ink.border
            }
        }
    }
    Text {
        Layout.fillWidth: true
        text: "先勾选应用。需要清理其设置和数据时，再展开关联文件单独选择。"
        font.pixelSize: 12
        color: Ink.secondary
        wrapMode: Text.Wrap
    }

    ListView {
        id: cards
        objectName: "applicationCards"
        Layout.fillWidth: true
        Layout.fillHeight: true
        clip: true
        spacing: 12
        model: Applications
        reuseItems: true
        ScrollBar.vertical: ScrollBar {}

        Text {
            objectName: "applicationsEmpty"
            visible: cards.count === 0
            width: cards.width
            padding: 36
            text: Applications.emptyText
            font.pixelSize: 13
            color: Ink.secondary
            wrapMode: Text.Wrap
        }

        delegate: Rectangle {
            id: card
            required property var application
            required property var associated
            required property int associatedCount
            required property string associatedTitle
            objectName: "applicationCard"
            width: ListView.view.width
            // A recycled card shows another application: its details start closed.
            ListView.onReused: associatedDetails.expanded = false
            implicitHeight: cardColumn.implicitHeight + 2
            radius: 12
            color: Ink.card
            border.width: 1
            border.color: Ink.border

            ColumnLayout {
                id: cardColumn
                x: 1
                y: 1
                width: parent.width - 2
                spacing: 0

                FileRow {
                    Layout.fillWidth: true
                    index: 0
                    entryId: card.application.entryId
                    name: card.application.name
                    folder: card.application.folder
                    path: card.application.path
                    sizeText: card.application.sizeText
                    symbol: card.application.symbol
                    isApplicationData: card.application.isApplicationData
                    checked: card.application.checked
                    tooltip: card.application.tooltip
                    iconSource: card.application.iconSource
                    actionsMenu: rowMenu
                }
                Disclosure {
                    id: associatedDetails
                    objectName: "associatedDisclosure"
                    visible: card.associatedCount > 0
                    Layout.fillWidth: true
                    Layout.leftMargin: 16
                    Layout.rightMargin: 16
                    Layout.bottomMargin: 14
                    label: card.associatedTitle
                    Column {
                        width: parent.width
                        spacing: 6
                        Text {
                            width: parent.width
                            topPadding: 8
                            leftPadding: 14
                            rightPadding: 14
                            text: Words.associatedWarning
                            font.pixelSize: 12
                            color: Ink.secondary
                            wrapMode: Text.Wrap
                        }
                        Repeater {
                            model: card.associated
                            FileRow {
                                required property var modelData
                                width: parent.width
                                entryId: modelData.entryId
                                name: modelData.name
                                folder: modelData.folder
                                path: modelData.path
                                sizeText: modelData.sizeText
                                symbol: modelData.symbol
                                isApplicationData: modelData.isApplicationData
                                checked: modelData.checked
                                tooltip: modelData.tooltip
                                iconSource: modelData.iconSource
                                actionsMenu: rowMenu
                            }
                        }
                    }
                }
            }
        }
    }

    RowMenu { id: rowMenu; objectName: "rowMenu" }
}
