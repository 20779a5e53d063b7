import QtQuick
import QtQuick.Controls.Basic

// The button style of the window: plain, primary (dark) or inverse (light on dark).
Button {
    id: control
    property bool primary: false
    property bool inverse: false

    font.family: Ink.sans
    font.pixelSize: 13
    font.weight: Font.DemiBold
    leftPadding: 18
    rightPadding: 18
    topPadding: 0
    bottomPadding: 0
    implicitHeight: Math.max(40, implicitContentHeight)
    implicitWidth: implicitContentWidth + leftPadding + rightPadding
    // Dimmed when disabled: Qt draws no disabled look for a styled button of its own.
    opacity: !enabled ? 0.45 : (down ? 0.72 : 1)
    focusPolicy: Qt.TabFocus

    contentItem: Text {
        text: control.text
        font: control.font
        color: control.inverse ? Ink.forest : (control.primary ? Ink.inverse : Ink.forest)
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: Rectangle {
        radius: 10
        color: control.inverse ? Ink.inverse : (control.primary ? Ink.forest : Ink.card)
        border.width: 1
        border.color: control.primary ? "transparent" : Ink.border
    }
}
