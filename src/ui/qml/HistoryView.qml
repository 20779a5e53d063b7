import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The history page: every recorded clean-up, in the model's order, each with its
// items on demand. One recycled list of rows (a record's card is drawn in slices: its
// own row, then one row per item while it is open), so a long history costs only the
// rows on screen.
ListView {
    id: page
    objectName: "historyView"
    clip: true
    reuseItems: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
    model: History

    header: ColumnLayout {
        x: 32
        width: page.width - 64
        spacing: 22

        RowLayout {
            Layout.fillWidth: true
            PageHeading {
                Layout.fillWidth: true
                title: "清理记录"
                subtitle: Words.historySubtitle
            }
            InkButton {
                objectName: "openTrashButton"
                text: Words.openTrash
                onClicked: Cleaner.openTrash()
            }
        }

        Panel {
            objectName: "historyEmpty"
            visible: History.isEmpty
            Layout.fillWidth: true
            padding: 22
            ColumnLayout {
                width: parent.width
                spacing: 16
                Item { implicitHeight: 44 } // with the spacing: 60 above
                Symbol {
                    Layout.alignment: Qt.AlignHCenter
                    name: "clock.arrow.circlepath"
                    weight: "thin"
                    size: 32
                    tint: Ink.green
                }
                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: "还没有清理记录"
                    font.family: Ink.serif
                    font.pixelSize: 22
                    font.bold: true
                }
                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: "完成一次清理后，会在这里看到真实的处理结果。"
                    font.pixelSize: 12
                    color: Ink.secondary
                }
                Item { implicitHeight: 44 }
            }
        }

        Item { implicitHeight: 0 } // with the spacing: 22 above the first card
    }

    footer: Item { height: 8 }

    delegate: Item {
        id: row
        required property int index
        required property int recordIndex
        required property bool isRecord
        required property bool isLast
        required property bool expanded
        required property string headline
        required property string dateText
        required property string sizeText
        required property string detailsLabel
        required property string name
        required property string pathText
        required property string message
        required property bool moved
        required property string symbol
        required property int itemIndex
        required property bool isRestored
        required property bool canRestore
        required property string restoreNote
        required property string restoreName
        required property bool canRestoreAll
        required property string restoreAllName
        required property string restoredSummary
        required property string restoreLabel
        required property string restoreAllLabel

        readonly property int padding: 22
        readonly property int gap: 22 // between cards

        width: ListView.view.width
        height: slice.height + (isLast ? gap : 0)

        // This row's slice of the card: the card's rounded edge shows only where the
        // card begins (the record's row) and ends (its last row).
        Item {
            id: slice
            objectName: row.isRecord ? "historyRecord" : "recordItem"
            x: 32
            width: parent.width - 64
            height: (row.isRecord ? recordContent.implicitHeight + row.padding : itemContent.implicitHeight + 12)
                    + (row.isLast ? row.padding : 0)
            clip: true

            Rectangle {
                y: row.isRecord ? 0 : -radius
                width: parent.width
                height: parent.height + (row.isRecord ? 0 : radius) + (row.isLast ? 0 : radius)
                radius: 14
                color: Ink.card
                border.width: 1
                border.color: Ink.border
            }

            ColumnLayout {
                id: recordContent
                visible: row.isRecord
                x: row.padding
                y: row.padding
                width: parent.width - 2 * row.padding
                spacing: 16
                RowLayout {
                    Layout.fillWidth: true
                    ColumnLayout {
                        spacing: 7
                        Text {
                            objectName: "recordHeadline"
                            text: row.headline
                            font.pixelSize: 15
                            font.weight: Font.DemiBold
                        }
                        Text {
                            objectName: "recordDate"
                            text: row.dateText
                            font.pixelSize: 10
                            color: Ink.secondary
                        }
                        Text {
                            objectName: "restoredSummary"
                            visible: text !== ""
                            text: row.restoredSummary
                            font.pixelSize: 10
                            color: Ink.green
                        }
                    }
                    Item { Layout.fillWidth: true }
                    InkButton {
                        id: restoreAll
                        objectName: "restoreAllButton"
                        visible: row.canRestoreAll
                        enabled: !Cleaner.busy
                        text: row.restoreAllLabel
                        implicitHeight: 30
                        font.pixelSize: 12
                        leftPadding: 14
                        rightPadding: 14
                        onClicked: Cleaner.restoreRecord(row.recordIndex)
                        Accessible.name: row.restoreAllName
                    }
                    Text {
                        objectName: "recordSize"
                        text: row.sizeText
                        font.pixelSize: 20
                        font.weight: Font.Medium
                        color: Ink.forest
                    }
                }
                MouseArea {
                    id: details
                    objectName: "recordDetails"
                    readonly property bool expanded: row.expanded
                    function toggle() { History.setExpanded(row.recordIndex, !row.expanded) }
                    Layout.fillWidth: true
                    implicitHeight: detailsHeader.implicitHeight
                    cursorShape: Qt.PointingHandCursor
                    onClicked: toggle()
                    Accessible.role: Accessible.Button
                    Accessible.name: row.detailsLabel
                    Accessible.onPressAction: toggle()
                    activeFocusOnTab: true
                    Keys.onSpacePressed: toggle()
                    Keys.onReturnPressed: toggle()
                    FocusRing { shown: details.activeFocus; radius: 6 }
                    RowLayout {
                        id: detailsHeader
                        spacing: 6
                        Symbol {
                            name: "chevron.right"
                            weight: "bold"
                            size: 9
                            tint: Ink.secondary
                            rotation: row.expanded ? 90 : 0
                        }
                        Text {
                            text: row.detailsLabel
                            font.pixelSize: 11
                            color: Ink.secondary
                        }
                    }
                }
            }

            RowLayout {
                id: itemContent
                visible: !row.isRecord
                x: row.padding
                y: 12
                width: parent.width - 2 * row.padding
                spacing: 10
                Symbol {
                    Layout.alignment: Qt.AlignTop
                    name: row.symbol
                    size: 12
                    tint: row.moved ? Ink.green : Ink.clay
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 4
                    Text {
                        text: row.name
                        font.pixelSize: 12
                        font.weight: Font.Medium
                        color: Ink.secondary
                        textFormat: Text.PlainText
                    }
                    TextEdit {
                        objectName: "itemPath"
                        Layout.fillWidth: true
                        text: row.pathText
                        readOnly: true
                        selectByMouse: true
                        wrapMode: TextEdit.WrapAnywhere
                        font.pixelSize: 10
                        color: Ink.secondary
                    }
                    Text {
                        Layout.fillWidth: true
                        text: row.message
                        font.pixelSize: 11
                        color: Ink.secondary
                        wrapMode: Text.Wrap
                        textFormat: Text.PlainText
                    }
                    Text {
                        objectName: "restoreNote"
                        Layout.fillWidth: true
                        visible: text !== ""
                        text: row.restoreNote
                        font.pixelSize: 11
                        font.weight: Font.Medium
                        // Put back: green; a failed attempt: clay; gone from the Trash: grey.
                        color: row.isRestored ? Ink.green : (row.canRestore ? Ink.clay : Ink.secondary)
                        wrapMode: Text.Wrap
                        textFormat: Text.PlainText
                    }
                }
                InkButton {
                    id: restoreOne
                    objectName: "restoreButton"
                    Layout.alignment: Qt.AlignTop
                    visible: row.canRestore
                    enabled: !Cleaner.busy
                    text: row.restoreLabel
                    implicitHeight: 28
                    font.pixelSize: 12
                    leftPadding: 12
                    rightPadding: 12
                    onClicked: Cleaner.restoreItem(row.recordIndex, row.itemIndex)
                    Accessible.name: row.restoreName
                }
            }
        }
    }
}
