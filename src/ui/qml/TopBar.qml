import QtQuick
import QtQuick.Layouts
import Varnoll.Model

// "VarnollMac清理 › page" and the local-only promise.
Item {
    implicitHeight: row.implicitHeight + 24 + 18

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 32
        anchors.rightMargin: 32
        anchors.topMargin: 24
        anchors.bottomMargin: 18
        Text { text: "VarnollMac清理"; font.pixelSize: 11; color: Ink.secondary }
        Symbol { name: "chevron.right"; weight: "bold"; size: 8; tint: Ink.secondary }
        Text {
            objectName: "topBarTitle"
            text: Cleaner.pageTitle
            font.pixelSize: 11
            color: Ink.forest
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        Item { Layout.fillWidth: true }
        Text { text: "文件留在本机"; font.pixelSize: 11; color: Ink.secondary }
    }
}
