import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Dialogs
import Varnoll.Model

// The one window: menu commands, the content and the folder dialog.
ApplicationWindow {
    id: window
    title: "VarnollMac清理"
    width: 1180
    height: 820
    minimumWidth: 1060
    minimumHeight: 720
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
    palette.highlight: Ink.green
    palette.highlightedText: Ink.inverse
    palette.toolTipBase: Ink.card
    palette.toolTipText: Ink.text
    palette.placeholderText: Ink.secondary

    readonly property alias content: contentView

    // Closing while items move waits for the clean-up's record (the model says so in
    // the notice) and then closes by itself.
    onClosing: (close) => { close.accepted = Cleaner.requestQuit() }

    menuBar: MenuBar {
        objectName: "menuBar"
        background: Rectangle { color: Ink.canvas; Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: 1; color: Ink.border } }
        Menu {
            title: "文件"
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
                onTriggered: Cleaner.navigate(Varnoll.Page.settings)
            }
            MenuSeparator {}
            Action {
                text: "退出"
                shortcut: StandardKey.Quit
                onTriggered: window.close()
            }
        }
        Menu {
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
