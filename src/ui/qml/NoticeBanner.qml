import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The model's notice, floating over the main area until closed or replaced.
Item {
    id: banner
    property real maxWidth: 560
    width: Math.min(maxWidth, row.implicitWidth + 32)
    height: row.height + 32
    // Read out as soon as it shows, and again whenever its text changes.
    Accessible.role: Accessible.AlertMessage
    Accessible.name: Cleaner.notice

    Loader {
        // A real blur where the scene graph has shaders; stacked soft edges elsewhere.
        anchors.fill: parent
        active: banner.visible
        sourceComponent: GraphicsInfo.api === GraphicsInfo.Software || GraphicsInfo.api === GraphicsInfo.Unknown
                         ? softShadow : blurShadow
    }
    Component {
        id: blurShadow
        BannerShadow { }
    }
    Component {
        id: softShadow
        Item {
            Repeater {
                model: 6
                Rectangle {
                    required property int index
                    readonly property real spread: 3 * (index + 1)
                    x: -spread
                    y: 6 - spread
                    width: banner.width + 2 * spread
                    height: banner.height + 2 * spread
                    radius: 12 + spread
                    color: Qt.rgba(Ink.forest.r, Ink.forest.g, Ink.forest.b, 0.022)
                }
            }
        }
    }

    Rectangle {
        anchors.fill: parent
        radius: 12
        color: Ink.card
        border.width: 1
        border.color: Ink.border
    }
    // The banner is a surface: clicks and the wheel on it never reach what lies under it.
    MouseArea {
        objectName: "noticeSurface"
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        hoverEnabled: true
        onWheel: (wheel) => wheel.accepted = true
    }

    RowLayout {
        id: row
        x: 16
        y: 16
        width: banner.width - 32
        spacing: 10
        Symbol {
            Layout.alignment: Qt.AlignTop
            name: "info.circle"
            tint: Ink.green
        }
        Text {
            id: message
            objectName: "noticeText"
            Layout.fillWidth: true
            Layout.maximumWidth: banner.maxWidth - 32 - 20 - 16 - 20
            Layout.alignment: Qt.AlignTop
            text: Cleaner.notice
            font.pixelSize: 12
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
        }
        FlatButton {
            objectName: "closeNotice"
            Layout.alignment: Qt.AlignTop
            implicitWidth: 16
            implicitHeight: 16
            text: "关闭提示"
            ring.radius: 5
            onClicked: Cleaner.clearNotice()
            contentItem: Symbol { name: "xmark"; size: 12; tint: Ink.secondary }
            background: null
        }
    }
}
