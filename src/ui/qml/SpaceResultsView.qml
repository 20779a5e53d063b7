import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The space page's read-only browser: the children of the measured folder with
// their sizes and shares. Nothing here selects or removes files.
ColumnLayout {
    objectName: "spaceResultsView"
    spacing: 14

    RowLayout {
        Layout.fillWidth: true
        Text {
            objectName: "spaceSummary"
            text: Space.summaryText
            font.pixelSize: 14
            font.weight: Font.Medium
        }
        Item { Layout.fillWidth: true }
        Tag { objectName: "coverageTag"; text: Space.coverageTag }
    }
    Text {
        Layout.fillWidth: true
        text: Words.spaceHint
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

    ListView {
        id: children
        objectName: "spaceChildren"
        Layout.fillWidth: true
        Layout.fillHeight: true
        clip: true
        spacing: 10
        model: Space
        ScrollBar.vertical: ScrollBar {}

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
                        Accessible.name: card.name
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
                        Accessible.name: card.revealLabel
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
