#pragma once

#include "app/CoreServices.h"

namespace Varnoll {

/// The real services with the desktop hand-offs of a graphical session: reveal asks
/// the file manager over D-Bus to select the item, URLs open through the desktop.
class GuiDesktopServices : public DesktopCoreServices {
public:
    void revealFile(const QString &path) override;
    void openTrash() override;
};

} // namespace Varnoll
