import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The locations that stopped the ownership check, folded into one line until opened.
Rectangle {
    objectName: "scanDiagnosticsView"
    property alias expanded: disclosure.expanded
    implicitHeight: disclosure.implicitHeight + 28
    radius: 10
    color: Ink.muted

    Disclosure {
        id: disclosure
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 14
        label: Diagnostics.title

        Column {
            width: parent.width
            spacing: 0
            Text {
                width: parent.width
                topPadding: 8
                text: Words.diagnosticsWarning
                font.pixelSize: 11
                color: Ink.secondary
                wrapMode: Text.Wrap
            }
            Item { width: 1; height: 8 }
            // The 8 above are a gap, not a margin of the list: rows scrolled away must
            // not show there. The bar stays drawn while rows lie out of sight.
            ListView {
                id: rows
                objectName: "diagnosticRows"
                width: parent.width
                height: Math.min(160, contentHeight)
                clip: true
                spacing: 12
                model: Diagnostics
                reuseItems: true
                boundsBehavior: Flickable.StopAtBounds
                Accessible.role: Accessible.List
                Accessible.name: Diagnostics.title
                ScrollBar.vertical: ScrollBar {
                    objectName: "diagnosticScrollBar"
                    policy: rows.contentHeight > rows.height ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded
                }
                delegate: RowLayout {
                    id: row
                    required property int index
                    required property string reason
                    required property string path
                    width: ListView.view.width
                    spacing: 12
                    ColumnLayout {
                        Layout.fillWidth: true
                        Layout.alignment: Qt.AlignTop
                        spacing: 5
                        Text {
                            Layout.fillWidth: true
                            text: row.reason
                            font.pixelSize: 12
                            wrapMode: Text.Wrap
                            textFormat: Text.PlainText
                        }
                        TextEdit {
                            objectName: "diagnosticPath"
                            Layout.fillWidth: true
                            text: row.path
                            readOnly: true
                            selectByMouse: true
                            wrapMode: TextEdit.WrapAnywhere
                            font.family: Ink.mono
                            font.pixelSize: 10
                            color: Ink.secondary
                        }
                    }
                    InkButton {
                        objectName: "revealDiagnostic"
                        Layout.alignment: Qt.AlignTop
                        text: Words.diagnosticsReveal
                        onClicked: Diagnostics.reveal(row.index)
                    }
                }
            }
        }
    }
}
