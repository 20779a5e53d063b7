import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Varnoll.Model

// The page of every scan: tabs, heading, folder, filters, then progress, result or
// introduction.
Item {
    id: page
    objectName: "resultsView"
    property bool showsFilters: false

    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 32
        anchors.rightMargin: 32
        anchors.bottomMargin: 24
        spacing: 16

        // File tabs.
        RowLayout {
            visible: View.isFilePage
            spacing: 8
            Repeater {
                model: View.filePages
                AbstractButton {
                    id: tab
                    required property var modelData
                    objectName: "tab_" + modelData.page
                    implicitHeight: 40
                    leftPadding: 18
                    rightPadding: 18
                    enabled: !Cleaner.busy
                    onClicked: Cleaner.navigate(modelData.page)
                    opacity: enabled ? 1 : 0.6
                    background: Rectangle {
                        radius: 10
                        color: Cleaner.page === tab.modelData.page ? Ink.selected : "transparent"
                    }
                    contentItem: RowLayout {
                        spacing: 6
                        Symbol { name: tab.modelData.symbol; size: 13; tint: Ink.forest }
                        Text { text: tab.modelData.title; font.pixelSize: 13; font.weight: Font.Medium; color: Ink.forest }
                    }
                }
            }
            Item { Layout.fillWidth: true }
        }

        // Header.
        RowLayout {
            Layout.fillWidth: true
            PageHeading {
                Layout.fillWidth: true
                title: Cleaner.pageTitle
                subtitle: View.description
            }
            InkButton {
                objectName: "rescanButton"
                Layout.alignment: Qt.AlignTop
                visible: Cleaner.hasCurrentResult && !Cleaner.busy
                text: "重新扫描"
                onClicked: Cleaner.scanCurrent()
            }
        }

        // Folder bar.
        Rectangle {
            objectName: "folderBar"
            visible: View.showsFolderBar
            Layout.fillWidth: true
            implicitHeight: folderRow.implicitHeight + 28
            radius: 12
            color: Ink.subtle
            RowLayout {
                id: folderRow
                anchors.fill: parent
                anchors.margins: 14
                spacing: 10
                Symbol { name: "folder"; size: 15; tint: Ink.green }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 2
                    Text { objectName: "folderTitle"; text: View.folderTitle; font.pixelSize: 13; font.weight: Font.Medium }
                    Text {
                        Layout.fillWidth: true
                        text: View.folderPath
                        font.pixelSize: 11
                        color: Ink.secondary
                        elide: Text.ElideMiddle
                    }
                }
                InkButton {
                    objectName: "parentButton"
                    visible: View.showsParentButton
                    text: "上一级"
                    enabled: View.canGoToParent
                    onClicked: Cleaner.parentSpace()
                }
                InkButton {
                    objectName: "chooseFolderButton"
                    text: "更换文件夹…"
                    enabled: !Cleaner.busy
                    onClicked: Cleaner.chooseDirectory()
                }
            }
        }

        // Filter panel.
        Disclosure {
            objectName: "filterPanel"
            visible: View.showsFilterPanel
            Layout.fillWidth: true
            label: View.filterSummary
            expanded: page.showsFilters
            onExpandedChanged: page.showsFilters = expanded
            Column {
                width: parent.width
                topPadding: 10
                FileFiltersView { width: parent.width }
            }
        }

        // Body. Each block is built once and then kept, hidden while another shows:
        // rebuilding the result block with its list on every scan cost more than a frame
        // when the result arrived.
        Item {
            objectName: "body"
            Layout.fillWidth: true
            Layout.fillHeight: true
            readonly property Item item: View.body === "progress" ? progressLoader.item
                                       : View.body === "result" ? resultLoader.item : introductionLoader.item
            Loader {
                id: progressLoader
                anchors.fill: parent
                visible: View.body === "progress"
                active: visible || item !== null
                sourceComponent: progressBlock
            }
            // Built in the background while the page shows something else, so that the
            // first result appears without a pause.
            Loader {
                id: resultLoader
                anchors.fill: parent
                visible: View.body === "result"
                asynchronous: !visible
                sourceComponent: resultBlock
            }
            Loader {
                id: introductionLoader
                anchors.fill: parent
                visible: View.body !== "progress" && View.body !== "result"
                active: visible || item !== null
                sourceComponent: introduction
            }
        }
    }

    Component {
        id: progressBlock
        Item {
            objectName: "progressBlock"
            ColumnLayout {
                anchors.centerIn: parent
                width: parent.width
                spacing: 18
                BusyIndicator {
                    Layout.alignment: Qt.AlignHCenter
                    implicitWidth: 48
                    implicitHeight: 48
                    running: true
                }
                Text {
                    objectName: "statusText"
                    Layout.alignment: Qt.AlignHCenter
                    text: Cleaner.status
                    font.pixelSize: 17
                    font.weight: Font.Medium
                }
                Text {
                    objectName: "examinedText"
                    Layout.alignment: Qt.AlignHCenter
                    text: View.examinedText
                    font.pixelSize: 13
                    color: Ink.secondary
                }
                InkButton {
                    objectName: "cancelButton"
                    Layout.alignment: Qt.AlignHCenter
                    visible: View.showsCancel
                    text: "取消扫描"
                    onClicked: Cleaner.cancelScan()
                }
            }
        }
    }

    Component {
        id: introduction
        Item {
            objectName: "introduction"
            ColumnLayout {
                anchors.centerIn: parent
                width: parent.width
                spacing: 20
                Rectangle {
                    Layout.alignment: Qt.AlignHCenter
                    implicitWidth: 140
                    implicitHeight: 140
                    radius: 32
                    color: Ink.selected
                    Symbol { anchors.centerIn: parent; name: View.pageSymbol; weight: "thin"; size: 64; tint: Ink.green }
                }
                Text {
                    objectName: "introTitle"
                    Layout.alignment: Qt.AlignHCenter
                    text: View.introTitle
                    font.family: Ink.serif
                    font.pixelSize: 28
                    font.bold: true
                    color: Ink.forest
                }
                Text {
                    objectName: "introSubtitle"
                    Layout.alignment: Qt.AlignHCenter
                    text: View.introSubtitle
                    font.pixelSize: 14
                    color: Ink.secondary
                }
                Text {
                    objectName: "introSteps"
                    Layout.alignment: Qt.AlignHCenter
                    visible: View.introShowsSteps
                    text: View.introSteps
                    font.pixelSize: 12
                    color: Ink.secondary
                }
                InkButton {
                    objectName: "startButton"
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: 6
                    primary: true
                    text: "开始扫描"
                    onClicked: Cleaner.scanCurrent()
                }
            }
        }
    }

    Component {
        id: resultBlock
        ColumnLayout {
            objectName: "resultBlock"
            spacing: 10

            // Summary.
            RowLayout {
                Layout.fillWidth: true
                Text {
                    objectName: "outcomeText"
                    text: View.outcomeText
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                    color: Ink.forest
                }
                Item { Layout.fillWidth: true }
                Text {
                    objectName: "totalText"
                    visible: text !== ""
                    text: View.totalText
                    font.family: Ink.mono
                    font.pixelSize: 18
                    font.weight: Font.Medium
                }
            }
            RowLayout {
                visible: View.hasIncompleteCoverage
                spacing: 6
                Symbol { name: "exclamationmark.circle"; size: 12; tint: Ink.secondary }
                Text {
                    objectName: "incompleteLine"
                    text: "部分位置未完成检查，下面只显示已找到的项目。"
                    font.pixelSize: 12
                    color: Ink.secondary
                }
            }
            Disclosure {
                objectName: "scopeNotes"
                visible: View.scopeNotes.length > 0
                Layout.fillWidth: true
                label: View.scopeNotesTitle
                ScrollView {
                    width: parent.width
                    height: Math.min(110, notes.implicitHeight + 8)
                    clip: true
                    ScrollBar.vertical.policy: ScrollBar.AsNeeded
                    Column {
                        id: notes
                        y: 8
                        width: parent.width
                        Repeater {
                            model: View.scopeNotes
                            TextEdit {
                                required property string modelData
                                width: notes.width
                                text: modelData
                                readOnly: true
                                selectByMouse: true
                                wrapMode: TextEdit.Wrap
                                font.pixelSize: 12
                                color: Ink.text
                            }
                        }
                    }
                }
            }

            // Junk categories.
            RowLayout {
                visible: View.showsCategoryCards
                Layout.fillWidth: true
                spacing: 12
                Repeater {
                    model: View.categoryCards
                    CategoryCard {
                        required property var modelData
                        info: modelData
                        Layout.fillWidth: true
                        Layout.preferredWidth: 1
                    }
                }
            }

            ScanDiagnosticsView {
                visible: View.diagnosticCount > 0
                Layout.fillWidth: true
            }

            // The item list: the applications, duplicates and space pages have their own.
            Loader {
                objectName: "itemList"
                Layout.fillWidth: true
                Layout.fillHeight: true
                sourceComponent: ItemList.kind === "applications" ? applicationList
                               : ItemList.kind === "duplicates" ? duplicateList
                               : ItemList.kind === "space" ? spaceList : plainList
                Component { id: plainList; ResultList {} }
                Component { id: applicationList; ApplicationResultsView {} }
                Component { id: duplicateList; DuplicateResultsView {} }
                Component { id: spaceList; SpaceResultsView {} }
            }

            // Selection bar.
            Rectangle {
                objectName: "selectionBar"
                visible: ItemList.showsSelectionBar
                Layout.fillWidth: true
                implicitHeight: barRow.implicitHeight + 36
                radius: 14
                color: Ink.card
                border.width: 1
                border.color: Ink.border
                RowLayout {
                    id: barRow
                    anchors.fill: parent
                    anchors.margins: 18
                    ColumnLayout {
                        spacing: 4
                        Text {
                            objectName: "selectionHeadline"
                            text: View.selectionHeadline
                            font.pixelSize: 14
                            font.weight: Font.DemiBold
                        }
                        Text {
                            text: Words.selectionHint
                            font.pixelSize: 11
                            color: Ink.secondary
                        }
                    }
                    Item { Layout.fillWidth: true }
                    InkButton {
                        objectName: "reviewButton"
                        primary: true
                        text: "查看并确认…"
                        enabled: View.hasSelection
                        onClicked: Cleaner.showReview = true
                    }
                }
            }
        }
    }
}
