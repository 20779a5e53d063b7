import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Dialogs
import QtQuick.Window
import Varnoll.Model

// The one window: menu commands, the content and the folder dialog.
ApplicationWindow {
    id: window
    title: "VarnollMac清理"
    // The designed size where the screen has room for it; on Linux the minimum fits a
    // laptop screen with a panel, title bar included.
    width: Look.windowSize(Qt.size(Screen.desktopAvailableWidth, Screen.desktopAvailableHeight)).width
    height: Look.windowSize(Qt.size(Screen.desktopAvailableWidth, Screen.desktopAvailableHeight)).height
    minimumWidth: Look.minimumWindowSize.width
    minimumHeight: Look.minimumWindowSize.height
    visible: true
    color: Ink.canvas
    font.family: Ink.sans
    font.pixelSize: 13
    // Always the light look, whatever the desktop's theme.
    palette.window: Ink.canvas
    palette.windowText: Ink.text
    palette.base: Ink.card
    palette.text: Ink.text
    palette.button: Ink.card
    palette.buttonText: Ink.forest
    // The Basic style marks a highlighted option (pickers, the folder dialog, menus) with
    // `light` behind `highlightedText`, and selected text with `highlight`: both light,
    // with dark text on them.
    palette.highlight: Ink.selected
    palette.highlightedText: Ink.text
    palette.light: Ink.selected
    palette.midlight: Ink.muted
    palette.mid: Ink.selected
    palette.toolTipBase: Ink.card
    palette.toolTipText: Ink.text
    palette.placeholderText: Ink.secondary

    readonly property alias content: contentView

    // Closing while items move waits for the clean-up's record (the model says so in
    // the notice) and then closes by itself.
    onClosing: (close) => { close.accepted = Cleaner.requestQuit() }

    menuBar: MenuBar {
        objectName: "menuBar"
        background: Rectangle {
            implicitHeight: 30
            color: Ink.canvas
            Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: 1; color: Ink.border }
        }
        delegate: MenuBarItem {
            id: title
            topPadding: 5
            bottomPadding: 5
            leftPadding: 12
            rightPadding: 12
            Accessible.name: text
            Accessible.onPressAction: title.triggered()
            // After Escape closed its menu, Qt 6.4's bar takes the next click on the
            // title for closing the menu again: a click on the title of a closed menu
            // that leaves it closed opens it.
            property bool openAtPress: false
            onPressedChanged: if (pressed) openAtPress = menu.visible
            onTriggered: Qt.callLater(() => { if (!title.openAtPress && !title.menu.visible) title.menu.open() })
            background: Rectangle {
                implicitHeight: 29
                color: title.down || title.highlighted ? Ink.selected : "transparent"
            }
        }
        CommandMenu {
            title: "文件"
            // The page's commands wait while a sheet is open over it.
            Action {
                objectName: "rescanCommand"
                text: "扫描当前范围"
                shortcut: "Ctrl+R"
                enabled: View.canRescan
                onTriggered: Cleaner.scanCurrent()
            }
            Action {
                objectName: "settingsCommand"
                text: "设置…"
                shortcut: "Ctrl+,"
                enabled: !View.sheetShown
                onTriggered: Cleaner.navigate(Varnoll.Page.settings)
            }
            MenuSeparator {}
            Action {
                text: "退出"
                shortcut: StandardKey.Quit
                onTriggered: window.close()
            }
        }
        CommandMenu {
            title: "帮助"
            Action {
                objectName: "policyCommand"
                text: "扫描范围与规则"
                onTriggered: Cleaner.showPolicy = true
            }
        }
    }

    ContentView {
        id: contentView
        anchors.fill: parent
    }

    FolderDialog {
        id: folderDialog
        objectName: "folderDialog"
        onAccepted: Cleaner.directoryChosen(Look.localPath(selectedFolder))
        onRejected: Cleaner.directoryChosen("")
    }

    Connections {
        target: Cleaner
        function onDirectoryRequested(prompt, message, currentFolder) {
            folderDialog.acceptLabel = prompt
            folderDialog.title = message
            folderDialog.currentFolder = Look.folderUrl(currentFolder)
            folderDialog.open()
        }
        function onQuitReady() { window.close() }
    }
}
