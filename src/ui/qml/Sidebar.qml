import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// Brand, the main pages, the reassurance card, history, settings and the version.
Rectangle {
    color: Ink.forest

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RowLayout {
            Layout.leftMargin: 24
            Layout.rightMargin: 24
            Layout.topMargin: 54
            Layout.bottomMargin: 22
            spacing: 11
            BrandMark { size: 36 }
            Column {
                spacing: 5
                Text {
                    text: "Varnoll"
                    font.family: Ink.serif
                    font.pixelSize: 22
                    font.bold: true
                    color: Ink.inverse
                }
                Text {
                    text: Words.brandLine
                    font.family: Ink.sans
                    font.pixelSize: 9
                    font.weight: Font.Medium
                    font.letterSpacing: 2.5
                    color: Ink.navMuted
                }
            }
        }

        Text {
            text: Words.sidebarSection
            font.pixelSize: 11
            color: Ink.navMuted
            Layout.leftMargin: 28
            Layout.rightMargin: 28
            Layout.bottomMargin: 12
        }

        ScrollView {
            Layout.fillWidth: true
            Layout.preferredHeight: mainEntries.implicitHeight
            Layout.maximumHeight: mainEntries.implicitHeight
            Layout.minimumHeight: 45
            Layout.fillHeight: false
            clip: true
            ScrollBar.vertical.policy: ScrollBar.AsNeeded
            Column {
                id: mainEntries
                width: parent ? parent.width : 222
                Repeater {
                    model: View.mainPages
                    NavEntry {
                        width: mainEntries.width
                        page: modelData.page
                        title: modelData.title
                        symbol: modelData.symbol
                        showsDot: modelData.page === Varnoll.Page.junk && View.showsJunkDot
                    }
                }
            }
        }

        Item { Layout.fillHeight: true }

        Rectangle {
            Layout.fillWidth: true
            Layout.leftMargin: 16
            Layout.rightMargin: 16
            Layout.bottomMargin: 22
            implicitHeight: card.implicitHeight + 32
            radius: 12
            color: Qt.rgba(Ink.green.r, Ink.green.g, Ink.green.b, 0.65)
            Column {
                id: card
                x: 16
                y: 16
                width: parent.width - 32
                spacing: 10
                Symbol { name: "checkmark.shield"; weight: "light"; size: 21; tint: Ink.navMuted }
                Text {
                    text: "每一次清理，都由你决定"
                    font.pixelSize: 12
                    font.weight: Font.Medium
                    color: Ink.inverse
                }
                Text {
                    text: Words.sidebarReassurance
                    font.pixelSize: 11
                    lineHeightMode: Text.FixedHeight
                    lineHeight: 16
                    color: Ink.navMuted
                }
            }
        }

        NavEntry {
            Layout.fillWidth: true
            page: Varnoll.Page.history
            title: View.titleOf(Varnoll.Page.history)
            symbol: View.symbolOf(Varnoll.Page.history)
        }
        NavEntry {
            Layout.fillWidth: true
            page: Varnoll.Page.settings
            title: View.titleOf(Varnoll.Page.settings)
            symbol: View.symbolOf(Varnoll.Page.settings)
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 24
            Text { text: "VarnollMac清理"; font.pixelSize: 9; color: Ink.navMuted }
            Item { Layout.fillWidth: true }
            Text { objectName: "versionText"; text: View.versionText; font.pixelSize: 9; color: Ink.navMuted }
        }
    }
}
