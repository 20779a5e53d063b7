pragma Singleton
import QtQuick
import Varnoll.Model

// The palette, the type faces and the type sizes of the whole window.
QtObject {
    readonly property color forest: "#14332A"
    readonly property color green: "#1F4A38"
    readonly property color clay: "#D9612F"
    readonly property color canvas: "#F2EFE5"
    readonly property color card: "#FFFFFF"
    readonly property color subtle: "#F7F5EC"
    readonly property color selected: "#E2E8DE"
    readonly property color muted: "#EDEBE1"
    readonly property color border: "#E3DDCE"
    readonly property color text: "#171A17"
    readonly property color secondary: "#5A625C"
    readonly property color inverse: "#F5F2E8"
    readonly property color navMuted: "#A3BAAE"

    readonly property string sans: Look.sans
    readonly property string serif: Look.serif
    readonly property string mono: Look.mono
}
