#include "modrender.h"

#include "cmemdc.h"
#include "r_data.h"
#include "r_renderer.h"

#include <QObject>
#include <QPointer>

namespace {
struct RenderModule {
    QPointer<QObject> window;
    QObject* fallback = nullptr;
    std::shared_ptr<r_data> data;
    std::unique_ptr<r_renderer> renderer;
};

// Deliberately never destroyed: the loader releases the pair at shutdown, and nothing may
// run a renderer's teardown after the application object is gone.
RenderModule& module() {
    static auto* m = new RenderModule;
    return *m;
}
} // namespace

QObject* renderTimerWindow() {
    RenderModule& m = module();
    if (m.window)
        return m.window;
    if (!m.fallback)
        m.fallback = new QObject;
    return m.fallback;
}

void setRenderTimerWindow(QObject* window) { module().window = window; }

std::shared_ptr<r_data> mainRenderData() { return module().data; }

r_renderer* mainRenderer() { return module().renderer.get(); }

void setMainRenderPair(std::shared_ptr<r_data> data, std::unique_ptr<r_renderer> renderer) {
    releaseMainRenderPair();
    module().data = std::move(data);
    module().renderer = std::move(renderer);
}

void releaseMainRenderPair() {
    RenderModule& m = module();
    // Taken out first, so nothing reaches a renderer that is halfway gone.
    std::unique_ptr<r_renderer> renderer = std::move(m.renderer);
    std::shared_ptr<r_data> data = std::move(m.data);
    if (renderer)
        renderer->killrenderer(false);
    renderer.reset();
    data.reset();
}

qint32 pvAlphaBlend(qint32 colour1, qint32 colour2, double weight) {
    return cMemDC::pvAlphaBlend(colour1, colour2, weight);
}
