#include "ViewController.h"

#include <QApplication>
#include <QChartView>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include "Batches.h"
#include "FileTableModel.h"
#include "FileTableView.h"
#include "Log.h"
#include "MainThreadHandoff.h"
#include "SettingsStore.h"

namespace {

// A file dialog in which files and folders can both be chosen: a selected folder
// is accepted instead of being entered.
class RecordingsDialog : public QFileDialog {
public:
    explicit RecordingsDialog(QWidget* parent) : QFileDialog(parent, QObject::tr("Open recordings or a folder")) {
        setOption(QFileDialog::DontUseNativeDialog, true);
        setFileMode(QFileDialog::ExistingFiles);
    }
    void accept() override {
        const QStringList chosen = selectedFiles();
        if (!chosen.isEmpty() && QFileInfo(chosen.first()).isDir()) {
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }
};

QLabel* telemetryLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setStyleHint(QFont::Monospace);
    f.setFamily(QStringLiteral("monospace"));
    label->setFont(f);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QWidget* placeholder(const QString& text, const QString& style, QWidget* parent) {
    auto* area = new QLabel(text, parent);
    area->setAlignment(Qt::AlignCenter);
    area->setStyleSheet(style);
    area->setMinimumSize(160, 120);
    return area;
}

}  // namespace

ViewController::ViewController(QWidget* parent) : QMainWindow(parent), handoff_(new MainThreadHandoff(this)) {
    buildWindow();
    viewDidLoad();
}

ViewController::~ViewController() {
    if (indexingThread_.joinable()) {
        // The run hands its work to this thread and waits: keep serving it until it
        // has stopped after its current file.
        run_->requestStop();
        while (!runFinished_) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        indexingThread_.join();
    }
}

void ViewController::buildWindow() {
    setWindowTitle(tr("Dashcam Viewer"));
    resize(1280, 800);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(6, 6, 0, 6);
    auto* buttons = new QHBoxLayout;
    openButton = new QPushButton(tr("Open…"), left);
    openButton->setShortcut(QKeySequence::Open);
    openButton->setToolTip(tr("Open a folder of recordings, or recordings (Ctrl+O)"));
    settingsButton = new QPushButton(tr("Settings…"), left);
    buttons->addWidget(openButton);
    buttons->addWidget(settingsButton);
    buttons->addStretch();
    leftLayout->addLayout(buttons);
    tableView = new FileTableView(left);
    tableModel_ = new FileTableModel(library, this);
    tableView->setModel(tableModel_);
    tableView->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    tableView->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    tableView->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    leftLayout->addWidget(tableView, 1);
    auto* progressRow = new QHBoxLayout;
    progressIndicator = new QProgressBar(left);
    progressIndicator->setTextVisible(false);
    label_main = new QLabel(left);
    label_main->setMinimumWidth(60);
    label_main->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    progressRow->addWidget(progressIndicator, 1);
    progressRow->addWidget(label_main);
    leftLayout->addLayout(progressRow);

    auto* video = new QWidget(this);
    auto* videoLayout = new QVBoxLayout(video);
    videoLayout->setContentsMargins(0, 6, 0, 0);
    playerView = placeholder(tr("No recording open"), QStringLiteral("background: black; color: #aaa;"), video);
    videoLayout->addWidget(playerView, 1);
    auto* transport = new QHBoxLayout;
    slider_video = new QSlider(Qt::Horizontal, video);
    slider_video->setRange(0, 0);
    snapshotButton = new QPushButton(tr("Snapshot"), video);
    transport->addWidget(slider_video, 1);
    transport->addWidget(snapshotButton);
    videoLayout->addLayout(transport);

    mapView = placeholder(tr("Map"), QStringLiteral("background: #e8e4d8; color: #777;"), this);

    auto* labels = new QWidget(this);
    auto* labelLayout = new QVBoxLayout(labels);
    label_gx = telemetryLabel(QStringLiteral("X : -"), labels);
    label_gy = telemetryLabel(QStringLiteral("Y : -"), labels);
    label_gz = telemetryLabel(QStringLiteral("Z : -"), labels);
    label_speed = telemetryLabel(QStringLiteral("SPEED : -"), labels);
    label_date = telemetryLabel(QStringLiteral("DATE: -"), labels);
    for (QLabel* l : {label_gx, label_gy, label_gz, label_speed, label_date}) labelLayout->addWidget(l);
    labelLayout->addStretch();
    hostView = new QChartView(this);
    hostView->setRenderHint(QPainter::Antialiasing);
    hostView->setMinimumHeight(160);

    auto* top = new QSplitter(Qt::Horizontal, this);
    top->addWidget(video);
    top->addWidget(mapView);
    top->setStretchFactor(0, 3);
    top->setStretchFactor(1, 2);
    auto* bottom = new QSplitter(Qt::Horizontal, this);
    bottom->addWidget(labels);
    bottom->addWidget(hostView);
    bottom->setStretchFactor(1, 1);
    auto* right = new QSplitter(Qt::Vertical, this);
    right->addWidget(top);
    right->addWidget(bottom);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 2);
    auto* main = new QSplitter(Qt::Horizontal, this);
    main->addWidget(left);
    main->addWidget(right);
    main->setStretchFactor(1, 1);
    main->setSizes({340, 940});
    setCentralWidget(main);
    statusBar();

    connect(openButton, &QPushButton::clicked, this, &ViewController::btn_folder_open);
    connect(settingsButton, &QPushButton::clicked, this, &ViewController::btn_setting);
}

void ViewController::viewDidLoad() {
    // The row columns and the recording list were made with the library.
    connect(tableView, &FileTableView::rowAboutToBeSelected, this, [this](int row) { playTheVideo(int32_t(row)); });
    connect(tableView, &FileTableView::filesDropped, this, &ViewController::acceptDrop);
    draw_Graph = std::make_unique<Draw_Graph>();
    draw_Graph->setGsensorGraph(hostView, true);
    loadSettings();
    setProgressRange(0.0, 100.0);
    progressIndicator->setValue(0);
    library.table_cnt = 0;
    library.isOperationIndexing = false;
}

void ViewController::loadSettings() {
    const UserSettings s = ::loadSettings();
    UserSettingSpeedUnit = s.PresetSpeedUnit;
    UserSettingDistanceUnit = s.PresetDistanceUnit;
    UserSeetingCapturePath = s.PathOfSaveDirectory;
}

QStringList ViewController::chooseRecordings() {
    RecordingsDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

void ViewController::btn_folder_open() {
    if (library.isOperationIndexing) {
        telemetry::logLine("waitting for complte");
        return;
    }
    const QStringList chosen = chooseRecordings();
    if (chosen.isEmpty()) return;
    startIndexing(batchForChoice(chosen));
}

bool ViewController::openPaths(const QStringList& chosen) {
    if (library.isOperationIndexing) {
        telemetry::logLine("waitting for complte");
        return false;
    }
    QStringList absolute;
    for (const QString& path : chosen) absolute.append(QFileInfo(path).absoluteFilePath());
    startIndexing(batchForChoice(absolute));
    return true;
}

void ViewController::showUnsupportedDropWarning() {
    auto* alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Warning!"), QStringLiteral("Warning!"),
                                  QMessageBox::NoButton, this);
    alert->setInformativeText(QStringLiteral("Not supported file!"));
    alert->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    alert->setWindowModality(Qt::WindowModal);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->open();
}

void ViewController::acceptDrop(const QList<QUrl>& urls) {
    const QStringList files = droppedFiles(urls);
    if (files.isEmpty()) return;
    if (!isSupportedDrop(files.first())) {
        showUnsupportedDropWarning();
        return;
    }
    if (library.isOperationIndexing) {
        telemetry::logLine("Wait for complete");
        return;
    }
    startIndexing(files);
}

void ViewController::startIndexing(const QStringList& batch) {
    if (indexingThread_.joinable()) indexingThread_.join();  // the last run has ended; its thread is finishing
    library.open_files = batch;
    // Raised before the thread starts, so no second batch can be queued meanwhile.
    library.isOperationIndexing = true;
    runFinished_ = false;
    run_ = std::make_unique<IndexingRun>(library, *this,
                                         [this](const std::function<void()>& fn) { handoff_->runAndWait(fn); });
    indexingThread_ = std::thread([this] {
        run_->threadDownLoadBinartFile(QStringLiteral("NSThread"));
        runFinished_ = true;
    });
}

void ViewController::reloadTable() { tableModel_->reload(); }

void ViewController::setProgressRange(double minimum, double maximum) {
    progressIndicator->setRange(int(minimum), int(maximum));
}

void ViewController::setProgress(double value, const QString& text) {
    progressIndicator->setValue(int(value));
    label_main->setText(text);
}

void ViewController::playTheVideo(int32_t row) {
    if (!library.isRowIndexed(row) || row >= library.currentStorageVideo.video_list.size()) {
        telemetry::logLine("NotLoading...");
        return;
    }
    CurrentStorageVideo& storage = library.currentStorageVideo;
    storage.indexOfNowPlaying = row;
    const RecordingRecord& record = storage.video_list.at(row);
    storage.filenameOfNowPlaying = record->filename ? QString::fromStdString(*record->filename) : QString();
    storage.filepathOfNowPlaying = record->filepath ? QString::fromStdString(*record->filepath) : QString();

    draw_Graph->setGsensorData(record->array_SubtileInfo, record->num_subtitle);
    draw_Graph->setGsensorGraph(hostView, false);
}

void ViewController::btn_setting() {
    SettingViewController dialog(this, this);
    dialog.exec();
}

void ViewController::SettingViewClosed() {
    loadSettings();
    label_speed->setText(QStringLiteral("SPEED : 000%1").arg(speedUnitText(UserSettingSpeedUnit)));
    telemetry::logLine("SettingView Close");
}
