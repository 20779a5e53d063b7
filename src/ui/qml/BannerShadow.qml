import QtQuick
import Qt5Compat.GraphicalEffects

// The notice's shadow with a real blur (needs a shader-capable scene graph).
Item {
    id: holder
    Rectangle {
        id: shape
        anchors.fill: parent
        radius: 12
        color: Ink.forest
        visible: false
    }
    DropShadow {
        anchors.fill: shape
        source: shape
        horizontalOffset: 0
        verticalOffset: 6
        radius: 18
        samples: 37
        color: Qt.rgba(Ink.forest.r, Ink.forest.g, Ink.forest.b, 0.10)
        transparentBorder: true
    }
}
