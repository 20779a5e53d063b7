import QtQuick
import QtQuick.Layouts

// A page's serif title with its subtitle under it.
ColumnLayout {
    property alias title: titleText.text
    property alias subtitle: subtitleText.text
    spacing: 9

    Text {
        id: titleText
        objectName: "headingTitle"
        Accessible.role: Accessible.Heading
        Accessible.name: text
        Layout.fillWidth: true
        font.family: Ink.serif
        font.pixelSize: 30
        font.bold: true
        color: Ink.forest
        wrapMode: Text.Wrap
        textFormat: Text.PlainText
    }
    Text {
        id: subtitleText
        objectName: "headingSubtitle"
        Accessible.role: Accessible.StaticText
        Accessible.name: text
        Layout.fillWidth: true
        visible: text !== ""
        font.family: Ink.sans
        font.pixelSize: 12
        color: Ink.secondary
        wrapMode: Text.Wrap
        textFormat: Text.PlainText
    }
}
