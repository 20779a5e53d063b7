import QtQuick

// A page's serif title with its subtitle under it.
Column {
    property alias title: titleText.text
    property alias subtitle: subtitleText.text
    spacing: 9

    Text {
        id: titleText
        width: parent.width
        font.family: Ink.serif
        font.pixelSize: 30
        font.bold: true
        color: Ink.forest
        wrapMode: Text.Wrap
        textFormat: Text.PlainText
    }
    Text {
        id: subtitleText
        width: parent.width
        font.family: Ink.sans
        font.pixelSize: 12
        color: Ink.secondary
        wrapMode: Text.Wrap
        textFormat: Text.PlainText
    }
}
