import QtQuick
import QtQuick.Controls.Basic
import Varnoll.Model

// A menu of the window's menu bar: its commands show their shortcuts, and a click on a
// command that is off closes the menu, as desktop menus do.
Menu {
    id: menu


    delegate: MenuItem {
        id: command
        objectName: "menuCommand"
        rightPadding: 14
        Accessible.name: text
        Accessible.onPressAction: if (command.enabled) command.triggered()
        contentItem: Item {
            implicitWidth: label.implicitWidth + hint.implicitWidth + 36
            implicitHeight: label.implicitHeight
            Text {
                id: label
                anchors.verticalCenter: parent.verticalCenter
                text: command.text
                font: command.font
                color: command.enabled ? Ink.text : Ink.secondary
                opacity: command.enabled ? 1 : 0.7
            }
            Text {
                id: hint
                objectName: "shortcutHint"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                text: command.action && command.action.shortcut !== undefined
                      ? Look.shortcutText(command.action.shortcut) : ""
                font.family: command.font.family
                font.pixelSize: 12
                color: Ink.secondary
                opacity: command.enabled ? 1 : 0.7
            }
        }
        background: Rectangle {
            x: 1
            y: 1
            width: command.width - 2
            height: command.height - 2
            color: command.enabled && (command.down || command.highlighted) ? Ink.selected : "transparent"
        }
    }

    // Basic's list of commands, with a tap handler: a disabled command takes no clicks,
    // this sees them and closes the menu.
    contentItem: ListView {
        id: commands
        implicitHeight: contentHeight
        model: menu.contentModel
        interactive: Window.window ? contentHeight + menu.topPadding + menu.bottomPadding > Window.window.height : false
        clip: true
        currentIndex: menu.currentIndex
        ScrollIndicator.vertical: ScrollIndicator {}
        TapHandler {
            onTapped: (eventPoint) => {
                const hit = commands.itemAt(eventPoint.position.x + commands.contentX,
                                            eventPoint.position.y + commands.contentY)
                if (hit && !hit.enabled)
                    menu.dismiss()
            }
        }
    }
}
