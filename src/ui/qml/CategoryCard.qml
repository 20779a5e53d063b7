import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// One junk category: its amount and how far the scan got; pressing it filters the list.
FlatButton {
    id: card
    property var info
    objectName: "category_" + info.raw
    text: View.spoken([info.title, info.amount, info.coverage])
    checkable: false
    Accessible.checkable: true
    Accessible.checked: info.selected
    implicitHeight: face.implicitHeight + 34
    onClicked: View.pressCategory(info.raw)
    opacity: down ? 0.8 : 1

    background: Rectangle {
        radius: 12
        color: card.info.selected ? Ink.selected : Ink.card
        border.width: 1
        border.color: card.info.selected ? Ink.green : Ink.border
    }
    contentItem: Item {
        RowLayout {
            id: face
            x: 17
            y: 17
            width: card.width - 34
            spacing: 10
            Symbol { name: card.info.symbol; weight: "light"; size: 21; tint: Ink.green }
            ColumnLayout {
                spacing: 2
                Text { text: card.info.title; font.pixelSize: 11; color: Ink.secondary }
                Text {
                    objectName: "categoryAmount"
                    text: card.info.amount
                    font.family: Ink.mono
                    font.pixelSize: 17
                    font.weight: Font.Medium
                }
                Text { objectName: "categoryCoverage"; text: card.info.coverage; font.pixelSize: 10 }
            }
            Item { Layout.fillWidth: true }
        }
    }
}
