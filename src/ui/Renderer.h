#pragma once

#include <QByteArray>

namespace Varnoll {

/// True for an OpenGL renderer that draws on the processor (Mesa's llvmpipe, softpipe,
/// the Windows "GDI Generic" and the like), as GL_RENDERER names it.
[[nodiscard]] bool isProcessorRasteriser(const QByteArray &glRenderer);

/// Picks Qt Quick's own software scene graph when OpenGL here is a processor
/// rasteriser: that one redraws the whole window every frame, the software scene
/// graph only what changed. Leaves an explicit QT_QUICK_BACKEND or QSG_RHI_BACKEND
/// alone. Call after the application object exists, before the first window.
void chooseSceneGraph();

} // namespace Varnoll
