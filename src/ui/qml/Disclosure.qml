import QtQuick
import QtQuick.Layouts

// A disclosure group: a chevron and a label that open or close the content below.
ColumnLayout {
    id: disclosure
    property string label
    property bool expanded: false
    property int labelSize: 12
    // False inside a list that moves the focus itself.
    property bool tabStop: true
    default property alias content: holder.data
    spacing: 0

    // A Tab stop: Space or Return opens or closes it; screen readers see a toggle.
    MouseArea {
        id: toggle
        objectName: "disclosureLabel"
        Layout.fillWidth: true
        implicitHeight: header.implicitHeight
        cursorShape: Qt.PointingHandCursor
        activeFocusOnTab: disclosure.tabStop
        onClicked: disclosure.expanded = !disclosure.expanded
        Keys.onSpacePressed: disclosure.expanded = !disclosure.expanded
        Keys.onReturnPressed: disclosure.expanded = !disclosure.expanded
        Keys.onEnterPressed: disclosure.expanded = !disclosure.expanded
        Accessible.role: Accessible.Button
        Accessible.name: disclosure.label
        Accessible.checkable: true
        Accessible.checked: disclosure.expanded
        Accessible.focusable: true
        Accessible.onPressAction: disclosure.expanded = !disclosure.expanded
        Accessible.onToggleAction: disclosure.expanded = !disclosure.expanded
        // Only the keyboard gives it focus: a click does not.
        FocusRing {
            shown: toggle.activeFocus
            // Around the chevron and the label, not the whole row.
            anchors.leftMargin: -6
            anchors.rightMargin: Math.max(-6, toggle.width - header.implicitWidth - 6)
            radius: 6
        }
        RowLayout {
            id: header
            spacing: 6
            Symbol {
                name: "chevron.right"
                weight: "bold"
                size: 9
                tint: Ink.secondary
                rotation: disclosure.expanded ? 90 : 0
            }
            Text {
                text: disclosure.label
                font.pixelSize: disclosure.labelSize
                color: Ink.secondary
            }
        }
    }
    Item {
        id: holder
        visible: disclosure.expanded
        Layout.fillWidth: true
        // The content's bottom edge. Not childrenRect: it also follows the content's
        // width, which the layout sets from here, and that loops.
        implicitHeight: {
            if (!visible)
                return 0
            let bottom = 0
            for (let i = 0; i < children.length; ++i)
                bottom = Math.max(bottom, children[i].y + children[i].height)
            return bottom
        }
    }
}
