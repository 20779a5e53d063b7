import QtQuick
import QtQuick.Controls.Basic
import Varnoll.Model

// The actions of a file row, one menu for all rows of a list.
Menu {
    id: rowMenu
    property string entryId
    function openFor(id, anchor) {
        entryId = id
        popup(anchor, 0, anchor.height)
    }
    MenuItem {
        objectName: "revealItem"
        text: Words.reveal
        onTriggered: View.revealEntry(rowMenu.entryId)
    }
    MenuItem {
        objectName: "ignoreItem"
        text: "忽略此项目"
        enabled: !Cleaner.busy
        onTriggered: Cleaner.ignoreId(rowMenu.entryId)
    }
}
