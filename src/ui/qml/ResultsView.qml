import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Window
import Varnoll.Model

// The page of every scan: tabs, heading, folder, filters, then progress, result or
// introduction.
Item {
    id: page
    objectName: "resultsView"
    property bool showsFilters: false

    // When the window is too low for the page with a list of five rows, the page
    // scrolls as a whole instead of squeezing the list; the keyboard focus is kept in
    // sight.
    Flickable {
        id: scroller
        objectName: "pageScroller"
        // The page's bottom margin, or the gap above the selection bar.
        readonly property real below: selectionBar.visible ? 0 : 24
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: selectionBar.visible ? selectionBar.top : parent.bottom
        anchors.bottomMargin: selectionBar.visible ? 10 : 0
        contentWidth: width
        contentHeight: Math.max(height, column.implicitHeight + below)
        interactive: contentHeight > height
        boundsBehavior: Flickable.StopAtBounds
        clip: true
        ScrollBar.vertical: ScrollBar { policy: scroller.interactive ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff }

        ColumnLayout {
            id: column
            anchors.fill: parent
            anchors.leftMargin: 32
            anchors.rightMargin: 32
            anchors.bottomMargin: scroller.below
            spacing: 16

            // File tabs.
            RowLayout {
                visible: View.isFilePage
                spacing: 8
                Repeater {
                    model: View.filePages
                    FlatButton {
                        id: tab
                        required property var modelData
                        objectName: "tab_" + modelData.page
                        implicitHeight: 40
                        leftPadding: 18
                        rightPadding: 18
                        enabled: !Cleaner.busy
                        text: modelData.title
                        arrowGroup: "fileTabs"
                        arrowAxis: Qt.Horizontal
                        ring.radius: 12
                        spokenRole: Accessible.PageTab
                        Accessible.selected: Cleaner.page === tab.modelData.page
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

            // Header. Placed by anchors: a row layout here missed the button appearing
            // with the first result while the page around it was laid out again.
            Item {
                Layout.fillWidth: true
                implicitHeight: Math.max(heading.implicitHeight, rescanButton.visible ? rescanButton.implicitHeight : 0)
                PageHeading {
                    id: heading
                    anchors.left: parent.left
                    anchors.right: rescanButton.visible ? rescanButton.left : parent.right
                    anchors.rightMargin: rescanButton.visible ? 12 : 0
                    title: Cleaner.pageTitle
                    subtitle: View.description
                }
                InkButton {
                    id: rescanButton
                    objectName: "rescanButton"
                    anchors.right: parent.right
                    anchors.top: parent.top
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
                        Text {
                            objectName: "folderTitle"
                            text: View.folderTitle
                            font.pixelSize: 13
                            font.weight: Font.Medium
                            Accessible.role: Accessible.StaticText
                            Accessible.name: View.spoken([text, View.folderPath])
                        }
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
                // What the body needs at least: the page scrolls rather than give it less.
                Layout.preferredHeight: item ? item.implicitHeight : 0
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
    }

    // Selection bar: under the result, outside what scrolls, so that "查看并确认…" is
    // always in sight.
    Rectangle {
        id: selectionBar
        objectName: "selectionBar"
        visible: View.body === "result" && View.showsSelectionBar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.leftMargin: 32
        anchors.rightMargin: 32
        anchors.bottomMargin: 24
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
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    text: View.selectionHeadline
                    font.pixelSize: 14
                    font.weight: Font.DemiBold
                }
                Text {
                    text: Words.selectionHint
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
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

    // The page follows the keyboard: an item that takes the focus is scrolled into view.
    Connections {
        target: page.Window.window
        function onActiveFocusItemChanged() { page.reveal(page.Window.activeFocusItem) }
    }
    function reveal(item) {
        const flickable = scroller
        if (!item || !flickable.interactive)
            return
        let inside = false
        for (let it = item.parent; it; it = it.parent) {
            if (it === flickable.contentItem) {
                inside = true
                break
            }
        }
        if (!inside)
            return
        const box = item.mapToItem(flickable.contentItem, 0, 0, item.width, item.height)
        const top = flickable.contentY
        const bottom = top + flickable.height
        if (box.y < top)
            flickable.contentY = Math.max(0, box.y - 12)
        else if (box.y + box.height > bottom)
            flickable.contentY = Math.min(flickable.contentHeight - flickable.height, box.y + box.height - flickable.height + 12)
    }

    Component {
        id: progressBlock
        Item {
            objectName: "progressBlock"
            implicitHeight: progressColumn.implicitHeight
            ColumnLayout {
                id: progressColumn
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
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    Layout.alignment: Qt.AlignHCenter
                    text: Cleaner.status
                    font.pixelSize: 17
                    font.weight: Font.Medium
                }
                Text {
                    objectName: "examinedText"
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
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
            implicitHeight: introColumn.implicitHeight
            ColumnLayout {
                id: introColumn
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
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                    Layout.alignment: Qt.AlignHCenter
                    text: View.introTitle
                    font.family: Ink.serif
                    font.pixelSize: 28
                    font.bold: true
                    color: Ink.forest
                }
                Text {
                    objectName: "introSubtitle"
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    Layout.alignment: Qt.AlignHCenter
                    text: View.introSubtitle
                    font.pixelSize: 14
                    color: Ink.secondary
                }
                Text {
                    objectName: "introSteps"
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
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
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    text: View.outcomeText
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                    color: Ink.forest
                }
                Item { Layout.fillWidth: true }
                Text {
                    objectName: "totalText"
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
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
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    text: "部分位置未完成检查，下面只显示已找到的项目。"
                    font.pixelSize: 12
                    color: Ink.secondary
                }
            }
            Disclosure {
                id: scopeNotes
                objectName: "scopeNotes"
                visible: View.scopeNotes.length > 0
                Layout.fillWidth: true
                label: View.scopeNotesTitle
                ScrollView {
                    id: notesScroller
                    width: parent.width
                    height: Math.min(110, notes.implicitHeight + 8)
                    // Its own width, not the content's: that one is 0 while the notes of
                    // another page are swapped in, and the column would keep it.
                    contentWidth: availableWidth
                    clip: true
                    ScrollBar.vertical.policy: ScrollBar.AsNeeded
                    Column {
                        id: notes
                        y: 8
                        width: notesScroller.availableWidth
                        Repeater {
                            model: View.scopeNotes
                            TextEdit {
                                required property string modelData
                                Accessible.role: Accessible.StaticText
                                Accessible.name: modelData
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

            // Junk categories: three equal shares of the width, placed by their own
            // bindings (a row layout built in the background could leave them stacked).
            Item {
                id: cards
                objectName: "categoryCards"
                visible: View.showsCategoryCards
                Layout.fillWidth: true
                implicitHeight: childrenRect.height
                Repeater {
                    model: View.categoryCards
                    CategoryCard {
                        required property var modelData
                        required property int index
                        info: modelData
                        width: (cards.width - 24) / 3
                        x: index * (width + 12)
                    }
                }
            }

            ScanDiagnosticsView {
                id: diagnostics
                visible: View.diagnosticCount > 0
                Layout.fillWidth: true
            }

            // Notes and diagnostics open closed for every result and page.
            Connections {
                target: Cleaner
                function onCurrentResultChanged() { scopeNotes.expanded = false; diagnostics.expanded = false }
                function onPageChanged() { scopeNotes.expanded = false; diagnostics.expanded = false }
            }

            // The item list: the applications, duplicates and space pages have their own.
            Loader {
                objectName: "itemList"
                Layout.fillWidth: true
                Layout.fillHeight: true
                sourceComponent: View.itemList === "applications" ? applicationList
                               : View.itemList === "duplicates" ? duplicateList
                               : View.itemList === "space" ? spaceList : plainList
                Component { id: plainList; ResultList {} }
                Component { id: applicationList; ApplicationResultsView {} }
                Component { id: duplicateList; DuplicateResultsView {} }
                Component { id: spaceList; SpaceResultsView {} }
            }
        }
    }
}
