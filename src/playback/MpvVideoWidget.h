#pragma once
// Draws an MpvPlayer's video with libmpv's render API into an OpenGL widget.

#include <QOpenGLWidget>

struct mpv_render_context;
class MpvPlayer;

class MpvVideoWidget : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit MpvVideoWidget(MpvPlayer* player, QWidget* parent = nullptr);
    ~MpvVideoWidget() override;

    // Black until the player opens a recording again: after a stop mpv has nothing
    // to draw, and the widget would go on showing its last frame.
    void clear();

signals:
    void frameDrawn();  // a video frame has been drawn into the widget

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    Q_INVOKABLE void frameReady();
    void freeRenderContext();

    MpvPlayer* player_;
    mpv_render_context* render_ = nullptr;
    bool blank_ = false;
};
