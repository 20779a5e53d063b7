import QtQuick
import QtQuick.Controls.Basic

// The button style of the window: plain, primary (dark) or inverse (light on dark).
Button {
    id: control
    property bool primary: false
    property bool inverse: false
    // Return presses a focused button, except where a sheet says it must not.
    property bool returnPresses: true

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
    Accessible.name: text
    Accessible.onPressAction: if (control.enabled) control.clicked()
    // Space or Return act only on a button whose focus is drawn: a sheet's confirm
    // holding a focus nobody sees must not move files on a stray key.
    Keys.onSpacePressed: (event) => event.accepted = !control.visualFocus
    Keys.onReturnPressed: (event) => event.accepted = control.pressByReturn()
    Keys.onEnterPressed: (event) => event.accepted = control.pressByReturn()

    function pressByReturn() {
        if (!returnPresses)
            return false
        if (visualFocus)
            clicked()
        return true
    }

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

    FocusRing { radius: 13; border.color: control.inverse ? Ink.inverse : Ink.green }
}
