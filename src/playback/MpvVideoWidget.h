#pragma once
// Draws an MpvPlayer's video with libmpv's render API into a native window of its
// own, held in the widget tree by a window container. A new frame repaints that
// window alone: the rest of the main window stays a plain raster window that no
// video frame, and no table or progress update, makes Qt recompose with OpenGL.

#include <QWidget>
#include <QWindow>

struct mpv_render_context;
class MpvPlayer;
class QOpenGLContext;

// The native surface: an OpenGL window with its own context, into whose default
// framebuffer mpv renders and which it swaps.
class MpvVideoSurface : public QWindow {
    Q_OBJECT
public:
    explicit MpvVideoSurface(MpvPlayer* player);
    ~MpvVideoSurface() override;

    void clear();

signals:
    void frameDrawn();    // a video frame of an open recording has been rendered
    void frameSwapped();  // the surface's picture has been put on screen

protected:
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Q_INVOKABLE void frameReady();
    void createRenderContext();
    void render();

    MpvPlayer* player_;
    QOpenGLContext* context_ = nullptr;
    mpv_render_context* render_ = nullptr;
    bool blank_ = false;
};

class MpvVideoWidget : public QWidget {
    Q_OBJECT
public:
    explicit MpvVideoWidget(MpvPlayer* player, QWidget* parent = nullptr);

    // Black until the player opens a recording again: after a stop mpv has nothing
    // to draw, and the surface would go on showing its last frame.
    void clear() { surface_->clear(); }
    MpvVideoSurface* surface() const { return surface_; }

signals:
    void frameDrawn();
    void frameSwapped();

private:
    MpvVideoSurface* surface_;
};
