import QtQuick

// The logo: a light tile, a tilted leaf and a clay dot. Every measure scales with size.
Item {
    id: mark
    property real size: 36
    width: size
    height: size

    Rectangle {
        anchors.fill: parent
        radius: mark.size * 0.28
        color: Ink.inverse
    }
    Symbol {
        anchors.centerIn: parent
        name: "leaf.fill"
        size: mark.size * 0.52
        tint: Ink.forest
        rotation: -25
    }
    Rectangle {
        width: mark.size * 0.14
        height: width
        radius: width / 2
        color: Ink.clay
        x: (mark.size - width) / 2 + mark.size * 0.25
        y: (mark.size - height) / 2 - mark.size * 0.25
    }
}
