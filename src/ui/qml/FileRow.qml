import QtQuick
import QtQuick.Controls.Basic
import Varnoll.Model

// One found item: tick, icon, name and folder, size and its actions.
Item {
    id: row
    required property int index
    required property string entryId
    required property string name
    required property string folder
    required property string path
    required property string sizeText
    required property string symbol
    required property bool isApplicationData
    required property bool checked
    required property string tooltip
    // An application's own icon; the symbol stands in while there is none.
    property string iconSource: ""
    // One menu serves every row; rows are many and built while scrolling.
    property var actionsMenu: null

    objectName: "fileRow"
    implicitHeight: 56
    // The row is what a list gives the keyboard focus to; the list's keys act on it.
    Accessible.role: Accessible.ListItem
    Accessible.name: View.spoken([row.name, row.isApplicationData ? "关联文件" : "", row.sizeText, row.folder])
    Accessible.focusable: true
    Accessible.checkable: true
    Accessible.checked: row.checked
    Accessible.onPressAction: row.toggle()
    Accessible.onToggleAction: row.toggle()

    function toggle() {
        if (!Cleaner.busy)
            Cleaner.toggleId(row.entryId)
    }
    function openActions() {
        if (row.actionsMenu)
            row.actionsMenu.openFor(row.entryId, actions)
    }

    FocusRing { shown: row.activeFocus; outset: -2; radius: 10 }

    // Rows are built while the list scrolls and when a result first shows, so they are
    // plain items placed by anchors: no layouts and no controls.
    MouseArea {
        id: check
        objectName: "rowCheck"
        x: 14
        width: 20
        height: 36
        anchors.verticalCenter: parent.verticalCenter
        enabled: !Cleaner.busy
        Accessible.role: Accessible.CheckBox
        Accessible.name: "选择 " + row.name
        Accessible.checked: row.checked
        Accessible.onPressAction: row.toggle()
        Accessible.onToggleAction: row.toggle()
        onClicked: Cleaner.toggleId(row.entryId)
        Symbol {
            anchors.centerIn: parent
            name: row.checked ? "checkmark.square.fill" : "square"
            size: 15
            tint: Ink.green
        }
    }

    Rectangle {
        id: iconBox
        x: check.x + check.width + 12
        width: 32
        height: 36
        anchors.verticalCenter: parent.verticalCenter
        radius: 8
        color: Ink.subtle
        Loader {
            id: ownIcon
            objectName: "rowIcon"
            anchors.centerIn: parent
            active: row.iconSource !== ""
            sourceComponent: Image {
                width: 24
                height: 24
                sourceSize: Qt.size(48, 48)
                source: row.iconSource
                asynchronous: true
            }
            readonly property bool ready: item !== null && item.status === Image.Ready
        }
        Symbol {
            anchors.centerIn: parent
            visible: !ownIcon.ready
            name: row.symbol
            weight: "light"
            size: 19
            tint: Ink.green
        }
    }

    Item {
        id: texts
        anchors.left: iconBox.right
        anchors.leftMargin: 12
        anchors.right: sizeLabel.left
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        height: nameText.height + 3 + folderText.height
        HoverHandler { id: hover }
        ToolTip.visible: hover.hovered
        ToolTip.delay: 600
        ToolTip.text: row.tooltip
        Text {
            id: nameText
            objectName: "rowName"
            width: Math.min(implicitWidth, texts.width - (tagText.visible ? tagText.implicitWidth + 6 : 0))
            text: row.name
            font.pixelSize: 14
            font.weight: Font.Medium
            elide: Text.ElideRight
            textFormat: Text.PlainText
        }
        Text {
            id: tagText
            objectName: "rowTag"
            visible: row.isApplicationData
            x: nameText.width + 6
            anchors.baseline: nameText.baseline
            text: "关联文件"
            font.pixelSize: 11
            color: Ink.secondary
        }
        Text {
            id: folderText
            y: nameText.height + 3
            width: texts.width
            text: row.folder
            font.pixelSize: 11
            color: Ink.secondary
            elide: Text.ElideMiddle
            textFormat: Text.PlainText
        }
    }

    Text {
        id: sizeLabel
        objectName: "rowSize"
        anchors.right: actions.left
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        width: 80
        horizontalAlignment: Text.AlignRight
        text: row.sizeText
        font.family: Ink.mono
        font.pixelSize: 11
        font.weight: Font.Medium
    }

    MouseArea {
        id: actions
        objectName: "rowActions"
        anchors.right: parent.right
        anchors.rightMargin: 14
        anchors.verticalCenter: parent.verticalCenter
        width: 27
        height: 30
        Accessible.role: Accessible.Button
        Accessible.name: "项目操作"
        Accessible.onPressAction: row.openActions()
        onClicked: row.openActions()
        Symbol { anchors.centerIn: parent; name: "ellipsis"; size: 14; tint: Ink.secondary }
    }
}
