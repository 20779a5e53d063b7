import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// What is scanned, within which limits, and what never happens.
Popup {
    id: sheet
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    width: 560
    height: Math.min(implicitHeight, parent.height - 48)
    x: Math.round((parent.width - width) / 2)
    y: Math.max(0, Math.round((parent.height - height) / 3))
    padding: 32

    background: Rectangle { color: Ink.canvas; radius: 12; border.width: 1; border.color: Ink.border }

    onClosed: if (Cleaner.showPolicy) Cleaner.showPolicy = false
    Component.onCompleted: if (Cleaner.showPolicy) open()
    Connections {
        target: Cleaner
        function onShowPolicyChanged() {
            if (Cleaner.showPolicy) sheet.open(); else sheet.close()
        }
    }

    component Paragraph: Text {
        Layout.fillWidth: true
        font.pixelSize: 13
        lineHeightMode: Text.FixedHeight
        lineHeight: 19 + 6
        color: Ink.secondary
        wrapMode: Text.Wrap
    }

    contentItem: ColumnLayout {
        spacing: 20
        focus: true
        Keys.onReturnPressed: Cleaner.showPolicy = false
        Keys.onEnterPressed: Cleaner.showPolicy = false
        Accessible.role: Accessible.Dialog
        Accessible.name: "清楚范围，放心整理。"

        Eyebrow { text: "SCAN SCOPE · V1" }
        Text {
            text: "清楚范围，放心整理。"
            font.family: Ink.serif
            font.pixelSize: 28
            font.bold: true
            color: Ink.forest
        }
        // The paragraphs scroll when the window is lower than the sheet.
        ScrollView {
            id: paragraphs
            objectName: "policyParagraphs"
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.preferredHeight: paragraphColumn.implicitHeight
            contentWidth: availableWidth
            clip: true
            ScrollBar.vertical.policy: ScrollBar.AsNeeded
            ColumnLayout {
                id: paragraphColumn
                width: paragraphs.availableWidth
                spacing: 20
                Repeater {
                    model: SettingsInfo.policyParagraphs
                    Paragraph {
                        required property string modelData
                        objectName: "policyParagraph"
                        text: modelData
                    }
                }
            }
        }
        RowLayout {
            Layout.fillWidth: true
            Item { Layout.fillWidth: true }
            InkButton {
                objectName: "policyDone"
                primary: true
                text: "知道了"
                onClicked: Cleaner.showPolicy = false
            }
        }
    }
}
