#include "MainWindow.h"

#include <QLabel>

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Dashcam Viewer"));
    resize(1280, 800);
    auto* placeholder = new QLabel(QStringLiteral("Open a folder of dashcam recordings to begin."), this);
    placeholder->setAlignment(Qt::AlignCenter);
    setCentralWidget(placeholder);
}
