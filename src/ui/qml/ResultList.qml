import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The item list: header with select-all and search, the rows, and the footer.
Item {
    id: list
    // The header, five rows and the footer at least; the page scrolls rather than show fewer.
    implicitHeight: 60 + 5 * 57 + 36

    Rectangle {
        anchors.fill: parent
        radius: 14
        color: Ink.card
    }

    // A row that is never shown, built with the list: it compiles the row's type and
    // fetches its symbols before a result arrives, so the first result shows at once.
    FileRow {
        visible: false
        width: list.width
        index: -1
        entryId: ""
        name: ""
        folder: ""
        path: ""
        sizeText: ""
        symbol: "doc"
        isApplicationData: true
        checked: false
        tooltip: ""
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 1
        spacing: 0

        // Header.
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: header.implicitHeight + 24
            color: Ink.subtle
            radius: 13
            Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: parent.radius; color: Ink.subtle }
            RowLayout {
                id: header
                anchors.fill: parent
                anchors.leftMargin: 16
                anchors.rightMargin: 16
                anchors.topMargin: 12
                anchors.bottomMargin: 12
                spacing: 8
                FlatButton {
                    objectName: "selectAll"
                    implicitWidth: 20
                    implicitHeight: 20
                    enabled: !Cleaner.busy
                    text: "选择或取消当前列表的全部项目"
                    ring.radius: 5
                    Accessible.role: Accessible.CheckBox
                    Accessible.checked: Results.allSelected
                    Accessible.onToggleAction: if (enabled) Cleaner.toggleVisible()
                    onClicked: Cleaner.toggleVisible()
                    ToolTip.visible: hovered
                    ToolTip.delay: 600
                    ToolTip.text: text
                    hoverEnabled: true
                    background: null
                    contentItem: Item {
                        Symbol {
                            objectName: "selectAllSymbol"
                            anchors.centerIn: parent
                            name: Results.allSelected ? "checkmark.square.fill" : "square"
                            size: 15
                            tint: Ink.green
                        }
                    }
                }
                Text {
                    objectName: "countText"
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    text: Results.countText
                    font.pixelSize: 11
                    font.weight: Font.Medium
                    color: Ink.secondary
                }
                Item { Layout.fillWidth: true }
                Rectangle {
                    implicitWidth: 210
                    implicitHeight: searchField.implicitHeight + 16
                    radius: 8
                    color: Ink.card
                    border.width: 1
                    border.color: Ink.border
                    FocusRing { shown: searchField.activeFocus; radius: 10 }
                    RowLayout {
                        anchors.fill: parent
                        anchors.margins: 8
                        spacing: 6
                        Symbol { name: "magnifyingglass"; size: 11; tint: Ink.secondary }
                        TextField {
                            id: searchField
                            objectName: "searchField"
                            Layout.fillWidth: true
                            placeholderText: "搜索文件或路径"
                            Accessible.name: placeholderText
                            Accessible.searchEdit: true
                            placeholderTextColor: Ink.secondary
                            font.pixelSize: 11
                            padding: 0
                            background: null
                            text: Cleaner.search
                            onTextEdited: Cleaner.search = text
                            Connections {
                                target: Cleaner
                                function onSearchChanged() {
                                    if (searchField.text !== Cleaner.search)
                                        searchField.text = Cleaner.search
                                }
                            }
                        }
                    }
                }
                Text {
                    Layout.preferredWidth: 72
                    horizontalAlignment: Text.AlignRight
                    text: "大小"
                    font.pixelSize: 11
                }
                Item { implicitWidth: 27 }
            }
        }

        // Rows.
        ListView {
            id: rows
            objectName: "resultRows"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: Results
            reuseItems: true
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
            // One Tab stop: the arrows move among the rows, Space ticks the current one,
            // the Menu key or Shift+F10 opens its "…" menu.
            activeFocusOnTab: true
            keyNavigationEnabled: true
            highlightMoveDuration: 0
            Accessible.role: Accessible.List
            Accessible.name: Results.countText
            onActiveFocusChanged: if (activeFocus && currentIndex < 0 && count > 0) currentIndex = 0
            Keys.onSpacePressed: if (currentItem) currentItem.row.toggle()
            Keys.onPressed: (event) => {
                if (currentItem && (event.key === Qt.Key_Menu
                                    || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier)))) {
                    currentItem.row.openActions()
                    event.accepted = true
                }
            }
            delegate: FocusScope {
                id: cell
                required property int index
                required property var model
                readonly property alias row: fileRow
                width: rows.width
                height: fileRow.implicitHeight + 1
                FileRow {
                    id: fileRow
                    focus: true
                    width: parent.width
                    index: cell.index
                    entryId: cell.model.entryId
                    name: cell.model.name
                    folder: cell.model.folder
                    path: cell.model.path
                    sizeText: cell.model.sizeText
                    symbol: cell.model.symbol
                    isApplicationData: cell.model.isApplicationData
                    checked: cell.model.checked
                    tooltip: cell.model.tooltip
                    actionsMenu: rowMenu
                }
                Rectangle {
                    anchors.bottom: parent.bottom
                    x: 50
                    width: parent.width - 50
                    height: 1
                    color: Ink.border
                    opacity: 0.65
                }
            }

            // Empty state.
            Column {
                objectName: "emptyState"
                visible: Results.count === 0
                anchors.horizontalCenter: parent.horizontalCenter
                y: 50
                width: parent.width - 100
                spacing: 12
                Symbol {
                    objectName: "emptySymbol"
                    anchors.horizontalCenter: parent.horizontalCenter
                    name: View.emptySymbol
                    weight: "light"
                    size: 30
                    tint: Ink.green
                }
                Text {
                    objectName: "emptyTitle"
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: View.emptyTitle
                    font.pixelSize: 13
                    font.weight: Font.Medium
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: "仅代表已检查范围；请查看分类状态和扫描范围提示。"
                    font.pixelSize: 11
                    color: Ink.secondary
                }
            }
        }

        // Footer.
        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 12
            spacing: 6
            Symbol { name: "checkmark.shield"; size: 9; tint: Ink.green }
            Text { text: "默认不选中 · 右侧“…”可定位或忽略文件"; font.pixelSize: 9; color: Ink.secondary }
            Item { Layout.fillWidth: true }
            Text { objectName: "resultTime"; text: View.resultTime; font.pixelSize: 9; color: Ink.secondary }
        }
    }

    RowMenu { id: rowMenu; objectName: "rowMenu" }

    Rectangle {
        anchors.fill: parent
        radius: 14
        color: "transparent"
        border.width: 1
        border.color: Ink.border
    }
}
