import QtQuick

// A small pill of green text.
Rectangle {
    property alias text: label.text
    implicitWidth: label.implicitWidth + 18
    implicitHeight: label.implicitHeight + 10
    radius: height / 2
    color: Ink.selected

    Text {
        id: label
        anchors.centerIn: parent
        font.family: Ink.sans
        font.pixelSize: 10
        font.weight: Font.Medium
        color: Ink.green
    }
}
