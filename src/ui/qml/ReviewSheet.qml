import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The last step before anything moves: every ticked item, the count and the size.
Popup {
    id: sheet
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    width: 550
    x: Math.round((parent.width - width) / 2)
    y: Math.max(0, Math.round((parent.height - height) / 3))
    padding: 30

    background: Rectangle { color: Ink.canvas; radius: 12; border.width: 1; border.color: Ink.border }

    // Whatever closes the sheet leaves the model's flag false.
    onClosed: if (Cleaner.showReview) Cleaner.showReview = false
    Component.onCompleted: if (Cleaner.showReview) open()
    Connections {
        target: Cleaner
        function onShowReviewChanged() {
            if (Cleaner.showReview) sheet.open(); else sheet.close()
        }
    }

    contentItem: ColumnLayout {
        spacing: 18
        // The sheet holds the focus when it opens, on no button: Tab reaches "取消",
        // then the confirm button, each with its ring drawn; Space presses the one that
        // shows it. Return must not confirm anything here.
        focus: true
        Keys.onReturnPressed: (event) => event.accepted = true
        Keys.onEnterPressed: (event) => event.accepted = true
        Accessible.role: Accessible.Dialog
        Accessible.name: Words.reviewTitle
        Accessible.description: View.reviewSummary

        RowLayout {
            Layout.fillWidth: true
            Symbol { name: "trash"; weight: "light"; size: 25; tint: Ink.green }
            Item { Layout.fillWidth: true }
            Tag { text: "清理前审阅" }
        }
        Text {
            text: Words.reviewTitle
            Accessible.role: Accessible.Heading
            Accessible.name: text
            font.family: Ink.serif
            font.pixelSize: 27
            font.bold: true
            color: Ink.forest
        }
        Text {
            objectName: "reviewSummary"
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            Layout.fillWidth: true
            text: View.reviewSummary
            font.pixelSize: 12
            color: Ink.secondary
            wrapMode: Text.Wrap
        }
        Text {
            objectName: "duplicateRule"
            Layout.fillWidth: true
            visible: View.reviewShowsDuplicateRule
            text: "每组至少保留一份；处理前会再次核对所选文件与保留副本的内容。"
            font.pixelSize: 12
            color: Ink.clay
            wrapMode: Text.Wrap
        }
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: 210
            radius: 12
            color: Ink.subtle
            ListView {
                id: reviewList
                objectName: "reviewList"
                anchors.fill: parent
                anchors.topMargin: 16
                anchors.bottomMargin: 16
                clip: true
                spacing: 12
                model: Review
                reuseItems: true
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
                Accessible.role: Accessible.List
                Accessible.name: View.reviewSummary
                delegate: Column {
                    required property string name
                    required property string path
                    required property bool isApplicationData
                    x: 16
                    width: reviewList.width - 32
                    spacing: 4
                    Accessible.role: Accessible.ListItem
                    Accessible.name: View.spoken([name, path, isApplicationData ? "包含应用关联数据，请确认不再需要。" : ""])
                    Text { text: name; font.pixelSize: 12; font.weight: Font.Medium; width: parent.width; elide: Text.ElideRight; textFormat: Text.PlainText }
                    TextEdit {
                        text: path
                        width: parent.width
                        readOnly: true
                        selectByMouse: true
                        wrapMode: TextEdit.WrapAnywhere
                        font.family: Ink.mono
                        font.pixelSize: 10
                        color: Ink.secondary
                        textFormat: TextEdit.PlainText
                    }
                    Text {
                        visible: isApplicationData
                        text: "包含应用关联数据，请确认不再需要。"
                        font.pixelSize: 10
                        color: Ink.clay
                    }
                }
            }
        }
        Text {
            text: Words.reviewFootnote
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            font.pixelSize: 11
            color: Ink.secondary
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            Item { Layout.fillWidth: true }
            InkButton {
                objectName: "reviewCancel"
                text: "取消"
                returnPresses: false
                onClicked: Cleaner.showReview = false
            }
            InkButton {
                objectName: "reviewConfirm"
                primary: true
                text: Words.reviewConfirm
                returnPresses: false
                // Off when nothing is left to move (a selection emptied under the sheet).
                enabled: View.hasSelection && !Cleaner.busy
                onClicked: Cleaner.cleanSelection()
            }
        }
    }
}
