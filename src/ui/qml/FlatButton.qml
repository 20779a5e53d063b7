import QtQuick
import QtQuick.Controls.Basic

// A button whose face its caller draws: a Tab stop, pressed by Space or Return, with a
// focus ring, its text as its accessible name and the Press action screen readers call.
// Buttons of one `arrowGroup` (the sidebar, the file tabs) also pass the focus to their
// neighbours with the arrow keys along `arrowAxis`.
AbstractButton {
    id: control
    property alias ring: focusRing
    // False where the face draws its own ring (one inset from the button's edge).
    property bool drawsRing: true
    property string arrowGroup: ""
    property int arrowAxis: Qt.Vertical

    // The role screen readers hear (a tab, a link). Qt's controls put back their own role
    // when accessibility switches on after the window was made, so it is set again then.
    property int spokenRole: Accessible.Button

    focusPolicy: Qt.TabFocus
    Accessible.name: text
    Accessible.role: spokenRole
    Accessible.onRoleChanged: if (Accessible.role !== spokenRole) Accessible.role = spokenRole
    Accessible.onPressAction: if (control.enabled) control.clicked()
    // Space or Return act only on a button whose focus is drawn.
    Keys.onSpacePressed: (event) => event.accepted = !control.visualFocus
    Keys.onReturnPressed: if (control.visualFocus) control.clicked()
    Keys.onEnterPressed: if (control.visualFocus) control.clicked()
    Keys.onUpPressed: (event) => event.accepted = control.moveInGroup(Qt.Vertical, false)
    Keys.onDownPressed: (event) => event.accepted = control.moveInGroup(Qt.Vertical, true)
    Keys.onLeftPressed: (event) => event.accepted = control.moveInGroup(Qt.Horizontal, false)
    Keys.onRightPressed: (event) => event.accepted = control.moveInGroup(Qt.Horizontal, true)

    function moveInGroup(axis, forward) {
        if (arrowGroup === "" || axis !== arrowAxis)
            return false
        const next = nextItemInFocusChain(forward)
        if (next && next !== control && next.arrowGroup === arrowGroup)
            next.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
        return true
    }

    FocusRing { id: focusRing; shown: control.drawsRing && control.visualFocus }
}
