#pragma once

#include "app/CoreServices.h"

namespace Varnoll {

/// The real services with the desktop hand-offs of a graphical session: reveal asks
/// the file manager over D-Bus to select the item, and opens the folder that holds it
/// when no file manager answers.
class GuiDesktopServices : public DesktopCoreServices {
public:
    void revealFile(const QString &path, Opened done) override;
};

} // namespace Varnoll
