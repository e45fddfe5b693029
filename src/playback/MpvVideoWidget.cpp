#include "MpvVideoWidget.h"

#include <mpv/render_gl.h>

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include "MpvPlayer.h"

namespace {
void* procAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(QByteArray(name))) : nullptr;
}
}  // namespace

MpvVideoWidget::MpvVideoWidget(MpvPlayer* player, QWidget* parent) : QOpenGLWidget(parent), player_(player) {
    setMinimumSize(160, 90);
    if (player_)
        connect(player_, &MediaPlayer::opened, this, [this] {
            blank_ = false;
            update();
        });
}

void MpvVideoWidget::clear() {
    blank_ = true;
    update();
}

MpvVideoWidget::~MpvVideoWidget() {
    // The base class destroys the GL context after this object is gone: its
    // notice must not reach us then.
    if (context()) disconnect(context(), nullptr, this, nullptr);
    freeRenderContext();
}

void MpvVideoWidget::freeRenderContext() {
    if (!render_) return;
    makeCurrent();
    mpv_render_context_free(render_);
    render_ = nullptr;
    doneCurrent();
}

void MpvVideoWidget::initializeGL() {
    if (!player_ || !player_->usable() || render_) return;
    mpv_opengl_init_params gl{procAddress, nullptr};
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&render_, player_->handle(), params) < 0) {
        render_ = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(
        render_, [](void* self) { QMetaObject::invokeMethod(static_cast<MpvVideoWidget*>(self), "frameReady", Qt::QueuedConnection); },
        this);
    // The context goes with the widget's GL context, which a change of parent can replace.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &MpvVideoWidget::freeRenderContext);
}

void MpvVideoWidget::frameReady() {
    if (render_) update();
}

void MpvVideoWidget::paintGL() {
    if (blank_) {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    if (!render_) return;
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{int(defaultFramebufferObject()), int(width() * ratio), int(height() * ratio), 0};
    int flipY = 1;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context_render(render_, params);
    if (player_->isOpen()) emit frameDrawn();
}
