import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// One sidebar entry: the whole row is the button; the arrow keys move between entries.
FlatButton {
    id: entry
    property int page
    property string title
    property string symbol
    property bool showsDot: false
    readonly property bool selected: View.sidebarPage === page

    objectName: "nav_" + page
    enabled: !Cleaner.busy
    implicitHeight: 45
    leftPadding: 14
    rightPadding: 14
    bottomPadding: 5
    topPadding: 0
    hoverEnabled: true
    text: title
    arrowGroup: "sidebar"
    drawsRing: false
    onClicked: Cleaner.navigate(page)

    background: null
    contentItem: Rectangle {
        radius: 10
        color: entry.selected ? Ink.inverse : "transparent"
        opacity: entry.enabled ? 1 : 0.6
        // The accent does not show on the dark sidebar: its ring is light.
        FocusRing { shown: entry.visualFocus; radius: 12; border.color: Ink.inverse }
        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: 14
            anchors.rightMargin: 14
            spacing: 12
            Item {
                implicitWidth: 20
                implicitHeight: 20
                Symbol {
                    anchors.centerIn: parent
                    name: entry.symbol
                    size: 15
                    tint: entry.selected ? Ink.forest : Ink.navMuted
                }
            }
            Text {
                text: entry.title
                font.pixelSize: 14
                font.weight: entry.selected ? Font.DemiBold : Font.Normal
                color: entry.selected ? Ink.forest : Ink.navMuted
            }
            Item { Layout.fillWidth: true }
            Rectangle {
                objectName: "junkDot"
                visible: entry.showsDot
                width: 6
                height: 6
                radius: 3
                color: Ink.clay
            }
        }
    }
}
