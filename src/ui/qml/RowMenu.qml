import QtQuick
import QtQuick.Controls.Basic
import Varnoll.Model

// The actions of a file row, one menu for all rows of a list. Opened from the keyboard,
// it gives the focus back to the row it was opened for when it closes.
Menu {
    id: rowMenu
    property string entryId
    property Item returnFocus: null
    function openFor(id, anchor) {
        entryId = id
        returnFocus = anchor.Window.activeFocusItem
        popup(anchor, 0, anchor.height)
    }
    onClosed: {
        if (returnFocus)
            returnFocus.forceActiveFocus(Qt.OtherFocusReason)
        returnFocus = null
    }
    MenuItem {
        objectName: "revealItem"
        text: Words.reveal
        Accessible.onPressAction: { rowMenu.close(); View.revealEntry(rowMenu.entryId) }
        onTriggered: View.revealEntry(rowMenu.entryId)
    }
    MenuItem {
        objectName: "ignoreItem"
        text: "忽略此项目"
        enabled: !Cleaner.busy
        Accessible.onPressAction: if (enabled) { rowMenu.close(); Cleaner.ignoreId(rowMenu.entryId) }
        onTriggered: Cleaner.ignoreId(rowMenu.entryId)
    }
}
