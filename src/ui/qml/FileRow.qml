import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
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

    implicitHeight: 56

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 14
        anchors.rightMargin: 14
        spacing: 12

        AbstractButton {
            objectName: "rowCheck"
            implicitWidth: 20
            implicitHeight: 36
            enabled: !Cleaner.busy
            Accessible.name: "选择 " + row.name
            onClicked: Cleaner.toggleId(row.entryId)
            background: null
            contentItem: Item {
                Symbol {
                    anchors.centerIn: parent
                    name: row.checked ? "checkmark.square.fill" : "square"
                    size: 15
                    tint: Ink.green
                }
            }
        }

        Rectangle {
            implicitWidth: 32
            implicitHeight: 36
            radius: 8
            color: Ink.subtle
            Image {
                id: ownIcon
                anchors.centerIn: parent
                width: 24
                height: 24
                sourceSize: Qt.size(48, 48)
                source: row.iconSource
                asynchronous: true
                visible: status === Image.Ready
            }
            Symbol {
                anchors.centerIn: parent
                visible: !ownIcon.visible
                name: row.symbol
                weight: "light"
                size: 19
                tint: Ink.green
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 3
            HoverHandler { id: hover }
            ToolTip.visible: hover.hovered
            ToolTip.delay: 600
            ToolTip.text: row.tooltip
            Item {
                Layout.fillWidth: true
                implicitHeight: nameText.implicitHeight
                Text {
                    id: nameText
                    objectName: "rowName"
                    width: Math.min(implicitWidth, parent.width - (tagText.visible ? tagText.implicitWidth + 6 : 0))
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
            }
            Text {
                Layout.fillWidth: true
                text: row.folder
                font.pixelSize: 11
                color: Ink.secondary
                elide: Text.ElideMiddle
                textFormat: Text.PlainText
            }
        }

        Text {
            objectName: "rowSize"
            Layout.preferredWidth: 80
            horizontalAlignment: Text.AlignRight
            text: row.sizeText
            font.family: Ink.mono
            font.pixelSize: 11
            font.weight: Font.Medium
        }

        AbstractButton {
            id: actions
            objectName: "rowActions"
            implicitWidth: 27
            implicitHeight: 30
            Accessible.name: "项目操作"
            onClicked: if (row.actionsMenu) row.actionsMenu.openFor(row.entryId, actions)
            background: null
            contentItem: Item {
                Symbol { anchors.centerIn: parent; name: "ellipsis"; size: 14; tint: Ink.secondary }
            }
        }
    }
}
