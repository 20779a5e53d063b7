import QtQuick
import QtQuick.Layouts
import Varnoll.Model

// The sidebar, the main area with its top bar and page, the notice and the sheets.
Item {
    id: root

    Sidebar {
        id: sidebar
        objectName: "sidebar"
        width: 222
        anchors.top: parent.top
        anchors.bottom: parent.bottom
    }

    Rectangle {
        id: main
        anchors.left: sidebar.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        color: Ink.canvas

        TopBar {
            id: topBar
            anchors.left: parent.left
            anchors.right: parent.right
        }

        Loader {
            id: pageLoader
            objectName: "pageLoader"
            anchors.top: topBar.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            source: {
                switch (View.contentView) {
                case "results": return "ResultsView.qml"
                case "history": return "HistoryView.qml"
                case "settings": return "SettingsView.qml"
                default: return "OverviewView.qml"
                }
            }
        }
    }

    NoticeBanner {
        objectName: "noticeBanner"
        visible: Cleaner.hasNotice
        // Centred over the main area, never over the sidebar.
        x: main.x + (main.width - width) / 2
        y: 28
        maxWidth: Math.min(560, main.width - 32)
    }

    ReviewSheet { objectName: "reviewSheet" }
    PolicySheet { objectName: "policySheet" }
}
