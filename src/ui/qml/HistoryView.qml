import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The history page: every recorded clean-up, in the model's order, each with its
// items on demand.
ScrollView {
    id: page
    objectName: "historyView"
    contentWidth: availableWidth
    ScrollBar.vertical.policy: ScrollBar.AsNeeded

    ColumnLayout {
        x: 32
        width: page.availableWidth - 64
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

        Repeater {
            model: History
            Panel {
                id: record
                required property string headline
                required property string dateText
                required property string sizeText
                required property string detailsLabel
                required property var items
                objectName: "historyRecord"
                Layout.fillWidth: true
                padding: 22

                ColumnLayout {
                    width: parent.width
                    spacing: 16
                    RowLayout {
                        Layout.fillWidth: true
                        ColumnLayout {
                            spacing: 7
                            Text {
                                objectName: "recordHeadline"
                                text: record.headline
                                font.pixelSize: 15
                                font.weight: Font.DemiBold
                            }
                            Text {
                                objectName: "recordDate"
                                text: record.dateText
                                font.pixelSize: 10
                                color: Ink.secondary
                            }
                        }
                        Item { Layout.fillWidth: true }
                        Text {
                            objectName: "recordSize"
                            text: record.sizeText
                            font.pixelSize: 20
                            font.weight: Font.Medium
                            color: Ink.forest
                        }
                    }
                    Disclosure {
                        objectName: "recordDetails"
                        Layout.fillWidth: true
                        label: record.detailsLabel
                        labelSize: 11
                        Column {
                            width: parent.width
                            topPadding: 12
                            spacing: 12
                            Repeater {
                                model: record.items
                                RowLayout {
                                    id: item
                                    required property var modelData
                                    objectName: "recordItem"
                                    width: parent.width
                                    spacing: 10
                                    Symbol {
                                        Layout.alignment: Qt.AlignTop
                                        name: item.modelData.symbol
                                        size: 12
                                        tint: item.modelData.moved ? Ink.green : Ink.clay
                                    }
                                    ColumnLayout {
                                        Layout.fillWidth: true
                                        spacing: 4
                                        Text {
                                            text: item.modelData.name
                                            font.pixelSize: 12
                                            font.weight: Font.Medium
                                            color: Ink.secondary
                                            textFormat: Text.PlainText
                                        }
                                        TextEdit {
                                            objectName: "itemPath"
                                            Layout.fillWidth: true
                                            text: item.modelData.pathText
                                            readOnly: true
                                            selectByMouse: true
                                            wrapMode: TextEdit.WrapAnywhere
                                            font.pixelSize: 10
                                            color: Ink.secondary
                                        }
                                        Text {
                                            Layout.fillWidth: true
                                            text: item.modelData.message
                                            font.pixelSize: 11
                                            color: Ink.secondary
                                            wrapMode: Text.Wrap
                                            textFormat: Text.PlainText
                                        }
                                    }
                                }
                            }
                        }
                    }
                }
            }
        }

        Item { implicitHeight: 8 } // with the spacing: 30 at the bottom
    }
}
