import QtQuick

// A white card with a thin border; its content is laid out at `padding` from the edge.
Item {
    id: panel
    property real padding: 16
    default property alias content: holder.data

    implicitWidth: holder.childrenRect.width + 2 * padding
    implicitHeight: holder.childrenRect.height + 2 * padding

    Rectangle {
        anchors.fill: parent
        radius: 14
        color: Ink.card
        border.width: 1
        border.color: Ink.border
    }
    Item {
        id: holder
        anchors.fill: parent
        anchors.margins: panel.padding
    }
}
