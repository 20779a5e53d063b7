import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The duplicates page's list: the header with the quick action, then one card per
// set of identical files.
ColumnLayout {
    objectName: "duplicateResultsView"
    spacing: 12

    RowLayout {
        Layout.fillWidth: true
        Text {
            objectName: "duplicateSummary"
            text: Duplicates.summaryText
            font.pixelSize: 12
            font.weight: Font.Medium
        }
        Item { Layout.fillWidth: true }
        InkButton {
            objectName: "quickAction"
            text: Duplicates.quickActionTitle
            enabled: Duplicates.quickActionEnabled
            onClicked: Duplicates.quickAction()
        }
    }
    Text {
        Layout.fillWidth: true
        text: "默认不选中。快捷选择会保留每组第一份；清理前请确认保留位置。"
        font.pixelSize: 11
        color: Ink.secondary
        wrapMode: Text.Wrap
    }

    ListView {
        id: groups
        objectName: "duplicateGroups"
        Layout.fillWidth: true
        Layout.fillHeight: true
        clip: true
        spacing: 14
        model: Duplicates
        reuseItems: true
        ScrollBar.vertical: ScrollBar {}

        Text {
            objectName: "duplicatesEmpty"
            visible: groups.count === 0
            width: groups.width
            padding: 36
            text: Duplicates.emptyText
            font.pixelSize: 12
            color: Ink.secondary
            wrapMode: Text.Wrap
        }

        delegate: Rectangle {
            id: card
            required property string title
            required property string eachSize
            required property var files
            objectName: "duplicateGroup"
            width: ListView.view.width
            implicitHeight: cardColumn.implicitHeight + 2
            radius: 12
            color: Ink.card
            border.width: 1
            border.color: Ink.border
            clip: true

            Column {
                id: cardColumn
                x: 1
                y: 1
                width: parent.width - 2

                Rectangle {
                    width: parent.width
                    height: header.implicitHeight + 28
                    color: Ink.subtle
                    radius: 11
                    // Square lower corners: only the card's top is rounded.
                    Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: parent.radius; color: Ink.subtle }
                    RowLayout {
                        id: header
                        anchors.fill: parent
                        anchors.margins: 14
                        Text {
                            objectName: "groupTitle"
                            text: card.title
                            font.pixelSize: 11
                            font.weight: Font.Medium
                            color: Ink.secondary
                        }
                        Item { Layout.fillWidth: true }
                        Text {
                            text: card.eachSize
                            font.pixelSize: 11
                            font.weight: Font.Medium
                            color: Ink.secondary
                        }
                    }
                }
                Repeater {
                    model: card.files
                    FileRow {
                        required property var modelData
                        width: cardColumn.width
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

    RowMenu { id: rowMenu; objectName: "rowMenu" }
}
