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
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            text: Applications.headerText
            font.pixelSize: 13
            font.weight: Font.Medium
        }
        Item { Layout.fillWidth: true }
        TextField {
            id: applicationSearch
            objectName: "applicationSearch"
            implicitWidth: 240
            placeholderText: "搜索应用"
            Accessible.name: placeholderText
            Accessible.searchEdit: true
            FocusRing { shown: applicationSearch.activeFocus; radius: 10 }
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
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {}
        // Five cards at least; the page scrolls rather than show fewer.
        implicitHeight: 5 * 68

        // One Tab stop. Up and Down walk the applications and, inside an opened card,
        // its associated files; Right opens a card and Left closes it; Space ticks the
        // current row; the Menu key or Shift+F10 opens its "…" menu.
        property int subRow: -1
        activeFocusOnTab: true
        keyNavigationEnabled: false
        highlightMoveDuration: 0
        Accessible.role: Accessible.List
        Accessible.name: Applications.headerText
        function currentRow() {
            return currentItem ? currentItem.rowAt(subRow) : null
        }
        function focusCurrent() {
            const row = currentRow()
            if (row && activeFocus) {
                positionViewAtIndex(currentIndex, ListView.Contain)
                row.forceActiveFocus(Qt.TabFocusReason)
            }
        }
        function moveTo(index, sub) {
            currentIndex = index
            subRow = sub
            focusCurrent()
        }
        onActiveFocusChanged: {
            if (activeFocus && count > 0) {
                if (currentIndex < 0)
                    currentIndex = 0
                focusCurrent()
            }
        }
        onCountChanged: if (currentIndex >= count) subRow = -1
        Keys.onDownPressed: {
            if (currentItem && currentItem.opened && subRow < currentItem.associatedCount - 1)
                moveTo(currentIndex, subRow + 1)
            else if (currentIndex < count - 1)
                moveTo(currentIndex + 1, -1)
        }
        Keys.onUpPressed: {
            if (subRow >= 0)
                moveTo(currentIndex, subRow - 1)
            else if (currentIndex > 0) {
                currentIndex = currentIndex - 1
                moveTo(currentIndex, currentItem && currentItem.opened ? currentItem.associatedCount - 1 : -1)
            }
        }
        Keys.onRightPressed: if (currentItem) currentItem.opened = true
        Keys.onLeftPressed: {
            if (currentItem)
                currentItem.opened = false
            moveTo(currentIndex, -1)
        }
        Keys.onSpacePressed: { const row = currentRow(); if (row) row.toggle() }
        Keys.onPressed: (event) => {
            const row = currentRow()
            if (row && (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier)))) {
                row.openActions()
                event.accepted = true
            }
        }

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
            property alias opened: associatedDetails.expanded
            function rowAt(sub) {
                return sub < 0 || !associatedDetails.expanded ? applicationRow : associatedRows.itemAt(sub)
            }
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
                    id: applicationRow
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
                    tabStop: false
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
                            id: associatedRows
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
