import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The space page's read-only browser: the children of the measured folder with
// their sizes and shares, as a list (the default) or as a map of the folder. Nothing
// here selects or removes files.
ColumnLayout {
    id: view
    objectName: "spaceResultsView"
    spacing: 14
    // Purely visual: which of the two the page shows.
    property bool showsMap: false

    RowLayout {
        Layout.fillWidth: true
        Text {
            objectName: "spaceSummary"
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            text: Space.summaryText
            font.pixelSize: 14
            font.weight: Font.Medium
        }
        Item { Layout.fillWidth: true }
        Row {
            spacing: 0
            Repeater {
                model: [{ name: "listToggle", text: "列表", map: false }, { name: "mapToggle", text: "地图", map: true }]
                delegate: AbstractButton {
                    required property var modelData
                    required property int index
                    objectName: modelData.name
                    implicitWidth: toggleText.implicitWidth + 24
                    implicitHeight: 24
                    checkable: true
                    checked: view.showsMap === modelData.map
                    focusPolicy: Qt.TabFocus
                    Accessible.name: modelData.text
                    Accessible.role: Accessible.RadioButton
                    Accessible.checked: checked
                    Keys.onReturnPressed: view.showsMap = modelData.map
                    FocusRing { shown: parent.visualFocus; radius: 8 }
                    Accessible.onPressAction: view.showsMap = modelData.map
                    onClicked: view.showsMap = modelData.map
                    background: Rectangle {
                        radius: 6
                        color: parent.checked ? Ink.selected : Ink.card
                        border.width: 1
                        border.color: parent.checked ? Ink.green : Ink.border
                    }
                    contentItem: Text {
                        id: toggleText
                        text: modelData.text
                        font.pixelSize: 11
                        font.weight: Font.Medium
                        color: Ink.green
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                    }
                }
            }
        }
        Tag { objectName: "coverageTag"; text: Space.coverageTag }
    }
    Text {
        objectName: "spaceHint"
        Layout.fillWidth: true
        text: view.showsMap ? Words.spaceMapHint : Words.spaceHint
        font.pixelSize: 11
        color: Ink.secondary
        wrapMode: Text.Wrap
    }
    Disclosure {
        objectName: "sizeNote"
        Layout.fillWidth: true
        label: "大小统计说明"
        Text {
            width: parent.width
            topPadding: 6
            text: "按文件逻辑大小统计，可能包含硬链接或克隆副本；不等于磁盘实际占用，也不代表可释放空间。"
            font.pixelSize: 12
            color: Ink.secondary
            wrapMode: Text.Wrap
        }
    }

    // The map: made only while shown, so the list alone costs nothing more.
    Loader {
        objectName: "spaceMapView"
        active: view.showsMap
        visible: active
        Layout.fillWidth: true
        Layout.fillHeight: true
        sourceComponent: ColumnLayout {
            spacing: 8

            Flow {
                objectName: "spaceLegend"
                Layout.fillWidth: true
                spacing: 12
                Repeater {
                    // Folders, the type classes in the map's colours, and the hatching.
                    model: [{ text: "文件夹", color: Ink.selected, hatched: false }]
                           .concat(map.legendNames.map((name, i) => ({ text: name, color: map.classColors[(i + 1) % map.classColors.length], hatched: false })))
                           .concat([{ text: "未统计完整", color: Ink.card, hatched: true }])
                    delegate: Row {
                        required property var modelData
                        spacing: 5
                        Rectangle {
                            anchors.verticalCenter: parent.verticalCenter
                            width: 10
                            height: 10
                            radius: 2
                            color: modelData.color
                            border.width: 1
                            border.color: modelData.hatched ? Ink.clay : Qt.darker(modelData.color, 1.15)
                            Text {
                                visible: modelData.hatched
                                anchors.centerIn: parent
                                text: "⁄"
                                font.pixelSize: 9
                                color: Ink.clay
                            }
                        }
                        Text { text: modelData.text; font.pixelSize: 11; color: Ink.secondary }
                    }
                }
            }

            Rectangle {
                Layout.fillWidth: true
                Layout.fillHeight: true
                radius: 12
                color: Ink.card
                border.width: 1
                border.color: Ink.border

                SpaceMap {
                    id: map
                    objectName: "spaceMap"
                    anchors.fill: parent
                    anchors.margins: 8
                    source: Space
                    focus: true
                    fillColor: Ink.card
                    // Indexed by type class: other files, 文档, 图片, 视频, 音频, 压缩与安装文件.
                    classColors: [Ink.border, Ink.navMuted, Ink.clay, Ink.green, Ink.secondary, Qt.tint(Ink.clay, "#88FFFFFF")]
                    folderColor: Ink.card
                    bandColor: Ink.selected
                    frameColor: Ink.navMuted
                    restColor: Ink.muted
                    hatchColor: Ink.clay
                    textColor: Ink.text
                    inverseTextColor: Ink.inverse
                    focusColor: Ink.forest
                    Accessible.role: Accessible.List
                    Accessible.name: map.accessibleName
                    Accessible.focusable: true
                    Accessible.onPressAction: map.openCurrent()
                    onMenuRequested: (node, x, y) => {
                        cellMenu.node = node
                        cellMenu.popup(map, x, y)
                    }

                    ToolTip {
                        objectName: "spaceMapTip"
                        parent: map
                        visible: map.hovering && !cellMenu.visible
                        delay: 300
                        text: map.hoverText
                        x: Math.min(map.hoverPoint.x + 14, Math.max(0, map.width - implicitWidth))
                        y: Math.min(map.hoverPoint.y + 18, Math.max(0, map.height - implicitHeight))
                    }
                }

                // The row menu's actions, for the cell under the pointer or the keys.
                Menu {
                    id: cellMenu
                    property int node: -1
                    MenuItem {
                        objectName: "mapRevealItem"
                        text: Words.reveal
                        onTriggered: Space.revealNode(cellMenu.node)
                    }
                    MenuItem {
                        objectName: "mapIgnoreItem"
                        text: "忽略此项目"
                        enabled: !Cleaner.busy
                        onTriggered: Space.ignoreNode(cellMenu.node)
                    }
                }
            }
        }
    }

    ListView {
        id: children
        objectName: "spaceChildren"
        visible: !view.showsMap
        Layout.fillWidth: true
        Layout.fillHeight: true
        clip: true
        spacing: 10
        model: Space
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {}
        // Five folders at least; the page scrolls rather than show fewer.
        implicitHeight: 5 * 72

        // One Tab stop: the arrows move among the folders, Return opens the current one.
        activeFocusOnTab: true
        keyNavigationEnabled: true
        highlightMoveDuration: 0
        Accessible.role: Accessible.List
        Accessible.name: Space.summaryText
        onActiveFocusChanged: if (activeFocus && currentIndex < 0 && count > 0) currentIndex = 0
        Keys.onReturnPressed: if (currentItem && Space.namesEnabled) Space.open(currentIndex)
        Keys.onEnterPressed: if (currentItem && Space.namesEnabled) Space.open(currentIndex)

        Text {
            objectName: "spaceEmpty"
            visible: children.count === 0
            width: children.width
            padding: 36
            text: Space.emptyText
            font.pixelSize: 12
            color: Ink.secondary
            wrapMode: Text.Wrap
        }

        delegate: Rectangle {
            id: card
            required property int index
            required property string name
            required property string sizeText
            required property string symbol
            required property real share
            required property string revealLabel
            objectName: "spaceChild"
            width: ListView.view.width
            Accessible.role: Accessible.ListItem
            Accessible.name: View.spoken([card.name, card.sizeText])
            Accessible.focusable: true
            Accessible.onPressAction: if (Space.namesEnabled) Space.open(card.index)
            FocusRing { shown: card.activeFocus; outset: 0; radius: 12 }
            implicitHeight: cardColumn.implicitHeight + 30
            radius: 12
            color: Ink.card
            border.width: 1
            border.color: Ink.border

            ColumnLayout {
                id: cardColumn
                anchors.fill: parent
                anchors.margins: 15
                spacing: 10

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 10
                    Symbol { name: card.symbol; size: 14; tint: Ink.green }
                    AbstractButton {
                        objectName: "childName"
                        Layout.fillWidth: true
                        // Layouts round down; a whole pixel more keeps a fitting name from eliding.
                        Layout.maximumWidth: Math.ceil(nameText.implicitWidth) + 1
                        implicitHeight: nameText.implicitHeight
                        padding: 0
                        enabled: Space.namesEnabled
                        focusPolicy: Qt.NoFocus
                        Accessible.name: card.name
                        Accessible.onPressAction: if (enabled) Space.open(card.index)
                        onClicked: Space.open(card.index)
                        background: null
                        contentItem: Text {
                            id: nameText
                            text: card.name
                            font.pixelSize: 12
                            font.weight: Font.Medium
                            color: parent.enabled ? Ink.text : Ink.secondary
                            elide: Text.ElideMiddle
                            maximumLineCount: 1
                            textFormat: Text.PlainText
                        }
                    }
                    Item { Layout.fillWidth: true }
                    Text {
                        objectName: "childSize"
                        text: card.sizeText
                        font.family: Ink.mono
                        font.pixelSize: 11
                    }
                    AbstractButton {
                        objectName: "revealButton"
                        implicitWidth: 22
                        implicitHeight: 22
                        focusPolicy: Qt.NoFocus
                        Accessible.name: card.revealLabel
                        Accessible.onPressAction: Space.reveal(card.index)
                        onClicked: Space.reveal(card.index)
                        background: null
                        contentItem: Item {
                            Symbol { anchors.centerIn: parent; name: "arrow.up.forward.square"; size: 13; tint: Ink.green }
                        }
                    }
                }
                Rectangle {
                    Layout.fillWidth: true
                    implicitHeight: 6
                    radius: 3
                    color: Ink.selected
                    Rectangle {
                        objectName: "shareBar"
                        height: parent.height
                        radius: 3
                        color: Ink.green
                        // Not clamped: a child larger than the counted total runs past the track.
                        width: parent.width * card.share
                        visible: width > 0
                    }
                }
            }
        }
    }
}
