import QtQuick

// A named symbol drawn at `size` (the point size of the text it stands in for).
Image {
    id: symbol
    property string name
    property string weight: "regular"
    property color tint: Ink.text
    property real size: 13

    readonly property real box: Math.round(size * 1.2)
    width: box
    height: box
    sourceSize: Qt.size(box, box)
    fillMode: Image.PreserveAspectFit
    source: name === "" ? "" : "image://symbol/" + name + "/" + weight + "/" + tint.toString().substring(1)
    Accessible.ignored: true
}
