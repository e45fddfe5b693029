#pragma once
// The position slider with the clip marks drawn over it: the part of the span that
// lies in the recording on screen shaded, and a tick at In and at Out.

#include <QSlider>
#include <optional>
#include <utility>

class MarkedSlider : public QSlider {
public:
    MarkedSlider(Qt::Orientation orientation, QWidget* parent = nullptr);
    // In the slider's values (milliseconds); none draws nothing.
    void setMarks(std::optional<int> in, std::optional<int> out, std::optional<std::pair<int, int>> span);
    std::optional<std::pair<int, int>> span() const { return span_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<int> in_, out_;
    std::optional<std::pair<int, int>> span_;
};
