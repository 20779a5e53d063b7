import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// One titled pop-up picker of the filter bar. It shows the model's choice (none when
// the model holds a value no option offers) and reports what the user picks.
RowLayout {
    id: picker
    property string title
    property var options: []
    property int selected: -1
    signal chosen(int index)
    spacing: 6
    // A nested layout fills by default; the bar gives each picker its own width.
    Layout.fillWidth: false

    Text {
        text: picker.title
        font.pixelSize: 11
        color: Ink.secondary
    }
    ComboBox {
        id: combo
        objectName: "combo"
        Layout.fillWidth: true
        implicitHeight: 28
        model: picker.options
        currentIndex: picker.selected
        displayText: currentIndex < 0 ? "" : currentText
        font.pixelSize: 11
        Accessible.name: picker.title
        // Plain text where Basic puts a read-only text field: a screen reader would find an
        // unnamed editable text inside every picker.
        contentItem: Text {
            leftPadding: 12
            rightPadding: 1
            text: combo.displayText
            font: combo.font
            color: combo.palette.buttonText
            elide: Text.ElideRight
            verticalAlignment: Text.AlignVCenter
        }
        // The highlighted option: dark text on the light selection colour.
        delegate: ItemDelegate {
            required property int index
            required property var modelData
            objectName: "pickerOption"
            width: combo.width
            text: modelData
            font: combo.font
            highlighted: combo.highlightedIndex === index
            contentItem: Text {
                text: parent.text
                font: parent.font
                color: Ink.text
                elide: Text.ElideRight
                verticalAlignment: Text.AlignVCenter
            }
            background: Rectangle { color: parent.highlighted ? Ink.selected : Ink.card }
        }
        onActivated: index => {
            picker.chosen(index)
            // The model decides: show its value again, not the raw pick.
            combo.currentIndex = Qt.binding(() => picker.selected)
        }
        background: Rectangle {
            radius: 7
            color: Ink.card
            border.width: 1
            border.color: Ink.border
            FocusRing { shown: combo.visualFocus; radius: 9 }
        }
    }
}
