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

        Eyebrow { text: "SCAN SCOPE · V1" }
        Text {
            text: "清楚范围，放心整理。"
            font.family: Ink.serif
            font.pixelSize: 28
            font.bold: true
            color: Ink.forest
        }
        Paragraph { text: "本版本读取用户目录中的旧缓存、旧日志和 Xcode DerivedData；应用管理仅展示第三方应用与精确匹配的关联路径；文件整理、重复文件、空间分析和旧安装包默认检查下载目录，也支持选择文件夹。" }
        Paragraph { text: "垃圾清理对聊天软件、浏览器、钱包缓存及系统应用有排除规则；文件工具按你选择的目录执行，不套用缓存排除清单。扫描有 45 秒、20 万个检查项、5 千个结果的边界，各垃圾分类分配扫描额度，分别展示完成、部分、未扫描、跳过或无法读取。重复文件额外限制内容读取 2 GB，跳过空文件和硬链接副本；文件工具跳过云端项目、符号链接及忽略路径。重新扫描从头开始，不是续扫。" }
        Paragraph { text: "所有项目都需要你选择并确认。文件只移到废纸篓，不自动清空。重复文件需要内容校验并保留一份；目录空间分析只读。没有恶意软件检测或系统提权清理。" }
        Paragraph { text: "记录中显示的是已移入废纸篓的文件大小，不代表磁盘已经释放的空间。" }
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
