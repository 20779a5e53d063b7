import QtQuick
import QtQuick.Layouts
import Varnoll.Model

// The settings page (its panels come with the settings views).
Item {
    objectName: "settingsView"
    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 32
        anchors.rightMargin: 32
        anchors.bottomMargin: 24
        PageHeading { Layout.fillWidth: true; title: Cleaner.pageTitle }
        Item { Layout.fillHeight: true }
    }
}
