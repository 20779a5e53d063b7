#include "Renderer.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>

namespace Varnoll {

bool isProcessorRasteriser(const QByteArray &glRenderer)
{
    const QByteArray name = glRenderer.toLower();
    for (const char *known : { "llvmpipe", "softpipe", "software rasterizer", "swrast", "gdi generic" }) {
        if (name.contains(known))
            return true;
    }
    return false;
}

void chooseSceneGraph()
{
#if defined(Q_OS_LINUX)
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return;
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface)) {
        // No OpenGL at all: the software scene graph still draws the window.
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return;
    }
    const auto *renderer = reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    const bool processor = renderer && isProcessorRasteriser(QByteArray(renderer));
    context.doneCurrent();
    if (processor)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
#endif
}

} // namespace Varnoll
