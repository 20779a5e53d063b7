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
            Accessible.role: Accessible.StaticText
            Accessible.name: text
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
        model: Duplicates
        reuseItems: true
        // A first scroll used to run past the estimated end into blank space.
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {}
        // A group and four of its files at least; the page scrolls rather than show fewer.
        implicitHeight: 44 + 5 * 57

        // One Tab stop: the arrows move among group headers and files, Space ticks the
        // current file, the Menu key or Shift+F10 opens its "…" menu.
        activeFocusOnTab: true
        keyNavigationEnabled: true
        highlightMoveDuration: 0
        Accessible.role: Accessible.List
        Accessible.name: Duplicates.summaryText
        onActiveFocusChanged: if (activeFocus && currentIndex < 0 && count > 0) currentIndex = 0
        Keys.onSpacePressed: if (currentItem && !currentItem.isHeader) currentItem.fileRow.toggle()
        Keys.onPressed: (event) => {
            if (currentItem && !currentItem.isHeader
                && (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier)))) {
                currentItem.fileRow.openActions()
                event.accepted = true
            }
        }

        Text {
            objectName: "duplicatesEmpty"
            visible: Duplicates.count === 0
            width: groups.width
            padding: 36
            text: Duplicates.emptyText
            font.pixelSize: 12
            color: Ink.secondary
            wrapMode: Text.Wrap
        }

        // One recycled row per group header and per file; a card is drawn in slices
        // (its border shows its rounded edge only where it begins and ends).
        delegate: FocusScope {
            id: row
            readonly property alias fileRow: fileRow
            required property int index
            required property bool isHeader
            required property bool isLast
            required property string title
            required property string eachSize
            required property string entryId
            required property string name
            required property string folder
            required property string path
            required property string sizeText
            required property string symbol
            required property bool isApplicationData
            required property bool checked
            required property string tooltip
            required property string iconSource
            readonly property int gap: 14 // between cards

            width: ListView.view.width
            height: slice.height + (isLast ? gap : 0)

            // A group's header speaks its title; its files speak as rows.
            Accessible.role: Accessible.ListItem
            Accessible.name: row.isHeader ? View.spoken([row.title, row.eachSize]) : ""
            Accessible.ignored: !row.isHeader
            FocusRing { shown: row.isHeader && row.activeFocus; outset: -2; radius: 10 }

            Item {
                id: slice
                objectName: row.isHeader ? "duplicateGroup" : "duplicateFile"
                width: parent.width
                height: row.isHeader ? header.implicitHeight + 28 + 1 : fileRow.implicitHeight + (row.isLast ? 1 : 0)
                clip: true

                Rectangle {
                    y: row.isHeader ? 0 : -radius
                    width: parent.width
                    height: parent.height + (row.isHeader ? 0 : radius) + (row.isLast ? 0 : radius)
                    radius: 12
                    color: Ink.card
                    border.width: 1
                    border.color: Ink.border
                }
                Rectangle {
                    visible: row.isHeader
                    x: 1
                    y: 1
                    width: parent.width - 2
                    height: parent.height - 1
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
                            text: row.title
                            font.pixelSize: 11
                            font.weight: Font.Medium
                            color: Ink.secondary
                        }
                        Item { Layout.fillWidth: true }
                        Text {
                            text: row.eachSize
                            font.pixelSize: 11
                            font.weight: Font.Medium
                            color: Ink.secondary
                        }
                    }
                }
                FileRow {
                    id: fileRow
                    visible: !row.isHeader
                    focus: !row.isHeader
                    x: 1
                    width: parent.width - 2
                    index: row.index
                    entryId: row.entryId
                    name: row.name
                    folder: row.folder
                    path: row.path
                    sizeText: row.sizeText
                    symbol: row.symbol
                    isApplicationData: row.isApplicationData
                    checked: row.checked
                    tooltip: row.tooltip
                    iconSource: row.iconSource
                    actionsMenu: rowMenu
                }
            }
        }
    }

    RowMenu { id: rowMenu; objectName: "rowMenu" }
}
