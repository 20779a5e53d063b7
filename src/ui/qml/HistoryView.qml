import QtQuick
import QtQuick.Layouts
import Varnoll.Model

// The history page (its records list comes with the history views).
Item {
    objectName: "historyView"
    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 32
        anchors.rightMargin: 32
        anchors.bottomMargin: 24
        PageHeading { Layout.fillWidth: true; title: Cleaner.pageTitle }
        Item { Layout.fillHeight: true }
    }
}
