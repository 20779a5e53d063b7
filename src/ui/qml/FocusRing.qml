import QtQuick

// The keyboard focus of the item it is placed in: a ring in the accent just outside its
// edge. A control shows it only for focus that came from the keyboard (a click draws
// none, as desktops do); other items say when through `shown`.
Rectangle {
    property bool shown: parent ? parent.visualFocus === true : false
    property real outset: 3

    objectName: "focusRing"
    anchors.fill: parent
    anchors.margins: -outset
    radius: 12
    color: "transparent"
    border.width: 2
    border.color: Ink.green
    visible: shown
    z: 100
}
