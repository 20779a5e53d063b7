import QtQuick
import QtQuick.Layouts

// A disclosure group: a chevron and a label that open or close the content below.
ColumnLayout {
    id: disclosure
    property string label
    property bool expanded: false
    property int labelSize: 12
    default property alias content: holder.data
    spacing: 0

    MouseArea {
        objectName: "disclosureLabel"
        Layout.fillWidth: true
        implicitHeight: header.implicitHeight
        cursorShape: Qt.PointingHandCursor
        onClicked: disclosure.expanded = !disclosure.expanded
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
