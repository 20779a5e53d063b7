import QtQuick

// A small spaced-out caption above a section.
Text {
    font.family: Ink.sans
    font.pixelSize: 10
    font.weight: Font.Medium
    font.letterSpacing: 2
    color: Ink.secondary
}
