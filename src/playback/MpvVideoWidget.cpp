#include "MpvVideoWidget.h"

#include <mpv/render_gl.h>

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QVBoxLayout>

#include "MpvPlayer.h"

namespace {
void* procAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(QByteArray(name))) : nullptr;
}
}  // namespace

MpvVideoSurface::MpvVideoSurface(MpvPlayer* player) : player_(player) {
    setSurfaceType(QSurface::OpenGLSurface);
    // Clicks and keys belong to the main window: focus in here would take the
    // window's shortcuts (Space, F, Esc) away.
    setFlag(Qt::WindowTransparentForInput);
    // Created now, though not yet shown, so that mpv has its render context before
    // the first file loads.
    create();
    createRenderContext();
    if (player_)
        connect(player_, &MediaPlayer::opened, this, [this] {
            blank_ = false;
            render();
        });
}

MpvVideoSurface::~MpvVideoSurface() {
    if (render_) {
        context_->makeCurrent(this);
        mpv_render_context_free(render_);  // no update callback after this returns
        context_->doneCurrent();
    }
}

void MpvVideoSurface::createRenderContext() {
    if (!player_ || !player_->usable()) return;
    context_ = new QOpenGLContext(this);
    context_->setFormat(requestedFormat());
    if (!context_->create() || !context_->makeCurrent(this)) return;
    mpv_opengl_init_params gl{procAddress, nullptr};
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&render_, player_->handle(), params) < 0) render_ = nullptr;
    context_->doneCurrent();
    if (!render_) return;
    mpv_render_context_set_update_callback(
        render_, [](void* self) { QMetaObject::invokeMethod(static_cast<MpvVideoSurface*>(self), "frameReady", Qt::QueuedConnection); },
        this);
}

void MpvVideoSurface::clear() {
    blank_ = true;
    render();
}

void MpvVideoSurface::frameReady() {
    // Only a new frame is drawn; mpv's other updates need nothing from us.
    if (render_ && (mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME)) render();
}

void MpvVideoSurface::exposeEvent(QExposeEvent*) {
    if (isExposed()) render();
}

void MpvVideoSurface::resizeEvent(QResizeEvent*) {
    if (isExposed()) render();
}

void MpvVideoSurface::render() {
    if (!render_ || !context_->makeCurrent(this)) return;
    const qreal ratio = devicePixelRatio();
    mpv_opengl_fbo fbo{int(context_->defaultFramebufferObject()), int(width() * ratio), int(height() * ratio), 0};
    int flipY = 1;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    // Rendered even while hidden or blank: mpv waits for each frame it hands over
    // to be rendered before it goes on.
    mpv_render_context_render(render_, params);
    if (blank_) {
        QOpenGLFunctions* gl = context_->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
    }
    if (isExposed()) {
        context_->swapBuffers(this);
        emit frameSwapped();
    }
    if (!blank_ && player_->isOpen()) emit frameDrawn();
}

MpvVideoWidget::MpvVideoWidget(MpvPlayer* player, QWidget* parent) : QWidget(parent), surface_(new MpvVideoSurface(player)) {
    setMinimumSize(160, 90);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* container = QWidget::createWindowContainer(surface_, this);  // takes the surface
    container->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(container);
    connect(surface_, &MpvVideoSurface::frameDrawn, this, &MpvVideoWidget::frameDrawn);
    connect(surface_, &MpvVideoSurface::frameSwapped, this, &MpvVideoWidget::frameSwapped);
}
