import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The start page: the disk, the recommended junk scan and three shortcuts.
ScrollView {
    id: page
    objectName: "overviewView"
    contentWidth: availableWidth
    ScrollBar.vertical.policy: ScrollBar.AsNeeded

    ColumnLayout {
        width: page.availableWidth - 64
        x: 32
        spacing: 24

        PageHeading {
            Layout.fillWidth: true
            title: Words.overviewTitle
            subtitle: "从清理旧缓存开始，也可以整理文件或卸载不再使用的应用。"
        }

        // Disk panel.
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: diskRow.implicitHeight + 44
            radius: 14
            color: Ink.card
            RowLayout {
                id: diskRow
                anchors.fill: parent
                anchors.margins: 22
                spacing: 18
                Symbol { name: "internaldrive"; weight: "light"; size: 28; tint: Ink.green }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    RowLayout {
                        Layout.fillWidth: true
                        Text {
                            text: "磁盘空间"
                            font.pixelSize: 14
                            font.weight: Font.DemiBold
                            Layout.minimumWidth: implicitWidth
                        }
                        Item { Layout.fillWidth: true }
                        Text {
                            objectName: "capacityText"
                            Accessible.role: Accessible.StaticText
                            Accessible.name: View.spoken(["磁盘空间", text])
                            text: View.capacityText
                            font.pixelSize: 13
                            color: Ink.secondary
                            Layout.minimumWidth: implicitWidth
                        }
                    }
                    Item {
                        id: track
                        Layout.fillWidth: true
                        implicitHeight: 8
                        Rectangle { anchors.fill: parent; radius: 4; color: Ink.muted }
                        Rectangle {
                            objectName: "usageBar"
                            height: parent.height
                            width: track.width * Math.max(0, Math.min(1, Cleaner.usedFraction))
                            radius: 4
                            color: Ink.green
                        }
                    }
                }
            }
        }

        // The Trash: what it holds now, measured in the background; emptying it is
        // left to the file manager.
        Rectangle {
            objectName: "trashLine"
            Layout.fillWidth: true
            implicitHeight: trashRow.implicitHeight + 32
            radius: 14
            color: Ink.card
            Accessible.role: Accessible.StaticText
            Accessible.name: View.trashLineName
            RowLayout {
                id: trashRow
                anchors.fill: parent
                anchors.leftMargin: 22
                anchors.rightMargin: 22
                anchors.topMargin: 16
                anchors.bottomMargin: 16
                spacing: 18
                Symbol { name: "trash"; weight: "light"; size: 24; tint: Ink.green }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 4
                    RowLayout {
                        spacing: 10
                        Text {
                            text: View.trashTitle
                            font.pixelSize: 14
                            font.weight: Font.DemiBold
                        }
                        Text {
                            objectName: "trashUsage"
                            text: View.trashUsage
                            font.pixelSize: 13
                            color: Ink.secondary
                        }
                    }
                    Text {
                        Layout.fillWidth: true
                        text: View.trashHint
                        font.pixelSize: 12
                        color: Ink.secondary
                        wrapMode: Text.Wrap
                    }
                }
                InkButton {
                    id: openTrash
                    objectName: "overviewOpenTrash"
                    text: View.openTrashLabel
                    implicitHeight: 34
                    onClicked: Cleaner.openTrash()
                    Accessible.name: View.openTrashLabel
                }
            }
        }

        // Hero card.
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: heroRow.implicitHeight + 64
            radius: 16
            color: Ink.forest
            RowLayout {
                id: heroRow
                anchors.fill: parent
                anchors.margins: 32
                spacing: 30
                ColumnLayout {
                    spacing: 16
                    RowLayout {
                        spacing: 6
                        Symbol { name: "sparkles"; size: 12; tint: Ink.navMuted }
                        Text { text: "建议从这里开始"; font.pixelSize: 12; color: Ink.navMuted }
                    }
                    Text {
                        text: "清理积累的旧缓存"
                        font.family: Ink.serif
                        font.pixelSize: 30
                        font.bold: true
                        color: Ink.inverse
                    }
                    Text {
                        text: "检查旧缓存、日志和开发缓存。\n先查看结果，再决定要清理哪些。"
                        font.pixelSize: 14
                        lineHeightMode: Text.FixedHeight
                        lineHeight: 21
                        color: Ink.inverse
                    }
                    InkButton {
                        objectName: "heroButton"
                        text: "扫描垃圾文件"
                        primary: true
                        inverse: true
                        enabled: !Cleaner.busy
                        onClicked: Cleaner.scanKind(0)
                    }
                }
                Item { Layout.fillWidth: true }
                Item {
                    implicitWidth: 160
                    implicitHeight: 100
                    Symbol {
                        anchors.centerIn: parent
                        name: "externaldrive.badge.checkmark"
                        weight: "thin"
                        size: 80
                        tint: Ink.navMuted
                    }
                }
            }
        }

        // Shortcuts.
        RowLayout {
            Layout.fillWidth: true
            spacing: 16
            Repeater {
                model: [
                    { page: Varnoll.Page.applications, text: "找到不再使用的应用，查看后卸载" },
                    { page: Varnoll.Page.largeFiles, text: "查找大文件、重复文件和旧安装包" },
                    { page: Varnoll.Page.space, text: "看看哪个文件夹占空间" }
                ]
                FlatButton {
                    id: shortcut
                    required property var modelData
                    objectName: "shortcut_" + modelData.page
                    text: View.titleOf(modelData.page)
                    Accessible.description: modelData.text
                    ring.radius: 16
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    Layout.alignment: Qt.AlignTop
                    enabled: !Cleaner.busy
                    opacity: enabled ? (down ? 0.8 : 1) : 0.5
                    implicitHeight: Math.max(120 + 40, cardColumn.implicitHeight + 40)
                    onClicked: Cleaner.navigate(modelData.page)
                    background: Rectangle {
                        radius: 14
                        color: Ink.card
                        border.width: 1
                        border.color: Ink.border
                    }
                    contentItem: Item {
                        ColumnLayout {
                            id: cardColumn
                            x: 20
                            y: 20
                            width: shortcut.width - 40
                            spacing: 14
                            RowLayout {
                                Layout.fillWidth: true
                                Symbol { name: View.symbolOf(shortcut.modelData.page); weight: "light"; size: 25; tint: Ink.green }
                                Item { Layout.fillWidth: true }
                                Symbol { name: "chevron.right"; size: 11; tint: Ink.secondary }
                            }
                            Text {
                                text: View.titleOf(shortcut.modelData.page)
                                font.pixelSize: 16
                                font.weight: Font.DemiBold
                            }
                            Text {
                                Layout.fillWidth: true
                                text: shortcut.modelData.text
                                font.pixelSize: 12
                                color: Ink.secondary
                                wrapMode: Text.Wrap
                            }
                        }
                    }
                }
            }
        }

        // Footer.
        RowLayout {
            Layout.fillWidth: true
            Layout.bottomMargin: 28
            spacing: 8
            Symbol { name: "trash"; size: 12; tint: Ink.secondary }
            Text { text: Words.overviewFooter; font.pixelSize: 12; color: Ink.secondary }
            Item { Layout.fillWidth: true }
            FlatButton {
                objectName: "historyLink"
                text: "查看清理记录"
                ring.radius: 5
                spokenRole: Accessible.Link
                implicitWidth: linkText.implicitWidth
                implicitHeight: linkText.implicitHeight
                onClicked: Cleaner.navigate(Varnoll.Page.history)
                contentItem: Text { id: linkText; text: parent.text; font.pixelSize: 12; color: Ink.green }
                background: null
            }
        }
    }
}
