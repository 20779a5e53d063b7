import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The settings page: the rules in force, the ignore list, file access and About.
ScrollView {
    id: page
    objectName: "settingsView"
    contentWidth: availableWidth
    ScrollBar.vertical.policy: ScrollBar.AsNeeded

    ColumnLayout {
        x: 32
        width: page.availableWidth - 64
        spacing: 22

        PageHeading {
            Layout.fillWidth: true
            title: "设置"
            subtitle: "保留自己的清理习惯，也保留对文件的控制。"
        }

        // Rules.
        Panel {
            Layout.fillWidth: true
            padding: 22
            ColumnLayout {
                width: parent.width
                spacing: 18
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    Symbol { name: "checkmark.shield"; weight: "light"; size: 22; tint: Ink.green }
                    Text { text: "当前清理规则"; font.pixelSize: 15; font.weight: Font.DemiBold }
                    Item { Layout.fillWidth: true }
                    Tag { text: "规则 v1" }
                }
                Disclosure {
                    objectName: "rulesDisclosure"
                    Layout.fillWidth: true
                    label: "查看具体规则"
                    labelSize: 13
                    Column {
                        width: parent.width
                        topPadding: 12
                        spacing: 12
                        Repeater {
                            model: SettingsInfo.rules
                            Rectangle {
                                id: rule
                                required property var modelData
                                objectName: "ruleBox"
                                width: parent.width
                                implicitHeight: ruleRow.implicitHeight + 28
                                radius: 12
                                color: Ink.subtle
                                RowLayout {
                                    id: ruleRow
                                    anchors.fill: parent
                                    anchors.margins: 14
                                    spacing: 18
                                    Text {
                                        Layout.preferredWidth: 108
                                        Layout.alignment: Qt.AlignTop
                                        text: rule.modelData.title
                                        font.pixelSize: 12
                                        font.weight: Font.Medium
                                    }
                                    Text {
                                        Layout.fillWidth: true
                                        Layout.alignment: Qt.AlignTop
                                        text: rule.modelData.description
                                        font.pixelSize: 12
                                        lineHeightMode: Text.FixedHeight
                                        lineHeight: font.pixelSize * 1.25 + 4
                                        color: Ink.secondary
                                        wrapMode: Text.Wrap
                                    }
                                }
                            }
                        }
                    }
                }
                InkButton {
                    objectName: "policyButton"
                    text: "了解扫描范围"
                    onClicked: Cleaner.showPolicy = true
                }
            }
        }

        // Ignore list.
        Panel {
            Layout.fillWidth: true
            padding: 22
            ColumnLayout {
                width: parent.width
                spacing: 16
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    Symbol { name: "eye.slash"; size: 15; tint: Ink.green }
                    Text { text: "忽略清单"; font.pixelSize: 15; font.weight: Font.DemiBold }
                    Item { Layout.fillWidth: true }
                    Text { objectName: "ignoreCount"; text: Ignored.countText; font.pixelSize: 11; color: Ink.secondary }
                }
                Text {
                    objectName: "ignoreHint"
                    visible: Ignored.count === 0
                    Layout.fillWidth: true
                    text: "在扫描结果右侧菜单选择“忽略此项目”，它将不再出现在后续扫描中。"
                    font.pixelSize: 12
                    color: Ink.secondary
                    wrapMode: Text.Wrap
                }
                // A recycled list of its own: a long ignore list scrolls inside the
                // panel instead of building every row at once.
                ListView {
                    id: ignoredList
                    objectName: "ignoredList"
                    visible: count > 0
                    Layout.fillWidth: true
                    implicitHeight: Math.min(contentHeight, 420)
                    interactive: contentHeight > height
                    clip: true
                    spacing: 16
                    reuseItems: true
                    boundsBehavior: Flickable.StopAtBounds
                    model: Ignored
                    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
                    delegate: Rectangle {
                        id: ignoredRow
                        required property int index
                        required property string displayPath
                        objectName: "ignoredRow"
                        width: ListView.view.width
                        implicitHeight: Math.max(pathText.Layout.preferredHeight, removeButton.implicitHeight) + 24
                        radius: 10
                        color: Ink.subtle
                        RowLayout {
                            anchors.fill: parent
                            anchors.margins: 12
                            spacing: 12
                            TextEdit {
                                id: pathText
                                objectName: "ignoredPath"
                                Layout.fillWidth: true
                                // At most two lines; the rest is cut off but still selectable.
                                Layout.preferredHeight: Math.min(contentHeight, 2 * (font.pixelSize * 1.4))
                                clip: true
                                text: ignoredRow.displayPath
                                readOnly: true
                                selectByMouse: true
                                wrapMode: TextEdit.WrapAnywhere
                                font.family: Ink.mono
                                font.pixelSize: 11
                            }
                            InkButton {
                                id: removeButton
                                objectName: "removeButton"
                                text: "移除"
                                onClicked: Ignored.remove(ignoredRow.index)
                            }
                        }
                    }
                }
            }
        }

        // File access.
        Panel {
            Layout.fillWidth: true
            padding: 22
            RowLayout {
                width: parent.width
                spacing: 16
                Symbol { name: "lock.doc"; weight: "light"; size: 24; tint: Ink.green }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 7
                    Text { text: "文件访问权限"; font.pixelSize: 15; font.weight: Font.DemiBold }
                    Text {
                        Layout.fillWidth: true
                        objectName: "privacyText"
                        text: SettingsInfo.privacyText
                        font.pixelSize: 12
                        color: Ink.secondary
                        wrapMode: Text.Wrap
                    }
                }
                InkButton {
                    objectName: "privacyButton"
                    visible: SettingsInfo.showsPrivacyButton
                    text: "打开系统设置"
                    onClicked: Cleaner.openPrivacy()
                }
            }
        }

        // About.
        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: 7
            Layout.bottomMargin: 7
            spacing: 10
            BrandMark { size: 30 }
            ColumnLayout {
                spacing: 4
                Text { objectName: "aboutText"; text: SettingsInfo.aboutText; font.pixelSize: 12; font.weight: Font.DemiBold }
                Text { text: "Ostrell设计 · 本地文件整理工具"; font.pixelSize: 10; color: Ink.secondary }
            }
            Item { Layout.fillWidth: true }
            Text { text: Words.madeFor; font.pixelSize: 9; font.letterSpacing: 1.5; color: Ink.secondary }
        }

        Item { implicitHeight: 8 }
    }
}
