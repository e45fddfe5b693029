#include "SettingViewController.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "CameraClock.h"
#include "ExportSettings.h"
#include "Log.h"
#include "SettingsStore.h"

SettingViewController::SettingViewController(SettingViewDelegate* delegate, const QString& defaultTileServer,
                                             const QString& defaultRoutingServer, QWidget* parent)
    : QDialog(parent), delegate_(delegate), chooseFolder_([this] {
          const QString folder = QFileDialog::getExistingDirectory(this, tr("Snapshot folder"));
          return folder.isEmpty() ? QString() : folder;
      }) {
    setWindowTitle(tr("Settings"));
    setModal(true);

    btn_select_speed_unit = new QComboBox(this);
    btn_select_speed_unit->addItems({tr("Miles per hour (Mph)"), tr("Kilometres per hour (Kmh)")});
    btn_select_distance_unit = new QComboBox(this);
    btn_select_distance_unit->addItems({tr("Miles"), tr("Kilometres")});
    eventSensitivity = new QComboBox(this);
    eventSensitivity->addItems({tr("Low"), tr("Normal"), tr("High")});
    textFiled_path = new QLineEdit(this);
    textFiled_path->setMinimumWidth(textFiled_path->fontMetrics().horizontalAdvance(QString(40, QLatin1Char('x'))));
    auto* choose = new QPushButton(tr("Choose…"), this);
    snapshotChannels = new QComboBox(this);
    snapshotChannels->addItem(tr("The main channel"), QStringLiteral("main"));
    snapshotChannels->addItem(tr("All channels as one picture"), QStringLiteral("all"));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(textFiled_path, 1);
    folderRow->addWidget(choose);

    cameraClock = new QComboBox(this);
    cameraClock->addItems({tr("This computer's zone"), tr("UTC"), tr("Offset from UTC")});
    cameraOffset = new QLineEdit(this);
    cameraOffset->setPlaceholderText(QStringLiteral("+02:00"));
    cameraOffset->setMaximumWidth(cameraOffset->fontMetrics().horizontalAdvance(QStringLiteral("+00:00")) * 2);
    auto* clockRow = new QHBoxLayout;
    clockRow->addWidget(cameraClock, 1);
    clockRow->addWidget(cameraOffset);

    tileServer = new QLineEdit(this);
    tileServer->setPlaceholderText(tr("empty: no map tiles"));
    routingServer = new QLineEdit(this);
    routingServer->setPlaceholderText(tr("empty: no road routes"));
    tileServerNote = new QLabel(this);
    routingServerNote = new QLabel(this);
    const auto serverRow = [](QLineEdit* field, QLabel* note) {
        auto* row = new QHBoxLayout;
        row->addWidget(field, 1);
        row->addWidget(note);
        return row;
    };
    auto* privacy = new QLabel(tr("The map asks the tile server for the tiles around each trip, and the routing "
                                  "server for a road route between its start and end. Changes apply at the next start."),
                               this);
    privacy->setWordWrap(true);
    saveError = new QLabel(this);
    saveError->setWordWrap(true);
    saveError->setStyleSheet(QStringLiteral("color: #c00000;"));
    saveError->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    auto* form = new QFormLayout(this);
    form->addRow(tr("Speed unit:"), btn_select_speed_unit);
    form->addRow(tr("Distance unit:"), btn_select_distance_unit);
    form->addRow(tr("Event sensitivity:"), eventSensitivity);
    form->addRow(tr("Snapshot folder:"), folderRow);
    form->addRow(tr("Snapshots save:"), snapshotChannels);
    form->addRow(tr("Camera clock:"), clockRow);
    form->addRow(tr("Tile server:"), serverRow(tileServer, tileServerNote));
    form->addRow(tr("Routing server:"), serverRow(routingServer, routingServerNote));
    form->addRow(privacy);
    form->addRow(saveError);
    form->addRow(buttons);

    connect(choose, &QPushButton::clicked, this, &SettingViewController::btn_Select_Path);
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingViewController::btn_save_and_close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cameraClock, &QComboBox::currentIndexChanged, this, [this](int index) { cameraOffset->setEnabled(index == 2); });
    connect(tileServer, &QLineEdit::textChanged, this, [this] { checkServer(tileServer, tileServerNote); });
    connect(routingServer, &QLineEdit::textChanged, this, [this] { checkServer(routingServer, routingServerNote); });

    const UserSettings stored = loadSettings();
    telemetry::logLine(QStringLiteral("Load SpeedUnit = %1 , DistanceUnit =%2")
                           .arg(int32_t(stored.PresetSpeedUnit))
                           .arg(int32_t(stored.PresetDistanceUnit))
                           .toStdString());
    btn_select_speed_unit->setCurrentIndex(int(stored.PresetSpeedUnit));
    btn_select_distance_unit->setCurrentIndex(int(stored.PresetDistanceUnit));
    eventSensitivity->setCurrentIndex(int(stored.EventSensitivity));
    snapshotChannels->setCurrentIndex(snapshotChannels->findData(stored.PresetSnapshotChannels));
    // The placeholder is shown, never stored: saving it would send snapshots to a
    // path made of that sentence.
    user_saved_path_ = stored.PathOfSaveDirectory;
    textFiled_path->setText(user_saved_path_.isNull() ? QString::fromLatin1(kNoFolderText) : user_saved_path_);
    textFiled_path->setReadOnly(true);
    tileServer->setText(stored.TileServerUrl.isNull() ? defaultTileServer : stored.TileServerUrl);
    routingServer->setText(stored.RoutingServerUrl.isNull() ? defaultRoutingServer : stored.RoutingServerUrl);
    checkServer(tileServer, tileServerNote);
    checkServer(routingServer, routingServerNote);
    const QString clock = loadCameraClock();
    const bool offset = clock != QLatin1String(kCameraClockSystem) && clock != QLatin1String(kCameraClockUtc);
    cameraClock->setCurrentIndex(offset ? 2 : clock == QLatin1String(kCameraClockUtc) ? 1 : 0);
    cameraOffset->setText(offset ? clock : QString());
    cameraOffset->setEnabled(offset);
}

QString SettingViewController::cameraClockText() const {
    if (cameraClock->currentIndex() == 1) return QString::fromLatin1(kCameraClockUtc);
    if (cameraClock->currentIndex() == 2) return cameraOffset->text().trimmed();
    return QString::fromLatin1(kCameraClockSystem);
}

bool SettingViewController::checkServer(const QLineEdit* field, QLabel* note) const {
    const QString url = field->text().trimmed();
    const bool usable = url.isEmpty() || isWebServerUrl(url);
    note->setText(usable ? tr("http or https only") : tr("Refused: only http and https URLs"));
    note->setStyleSheet(usable ? QStringLiteral("color: palette(mid);") : QStringLiteral("color: #c00000;"));
    return usable;
}

void SettingViewController::btn_Select_Path() {
    const QString folder = chooseFolder_();
    if (!folder.isNull()) {
        user_saved_path_ = folder + QLatin1Char('/');
        textFiled_path->setText(user_saved_path_);
    }
    telemetry::logLine("test");
}

void SettingViewController::showSaveError(const QString& text) {
    saveError->setText(text);
    saveError->show();
    adjustSize();  // room for the new line: a dialog on screen does not grow by itself
}

void SettingViewController::btn_save_and_close() {
    QString reason;
    // Checked before anything is stored, so a typo saves nothing.
    const QString clock = cameraClockText();
    if (cameraClock->currentIndex() == 2 && !track_export::parseUtcOffset(clock)) {
        showSaveError(tr("Not saved: the camera clock offset must read +HH:MM or -HH:MM, at most 14 hours."));
        return;
    }
    const bool tilesUsable = checkServer(tileServer, tileServerNote);
    const bool routingUsable = checkServer(routingServer, routingServerNote);
    if (!tilesUsable || !routingUsable) {
        showSaveError(tr("Not saved: the tile and routing servers take only http and https URLs."));
        return;
    }
    if (!saveSettings(int32_t(btn_select_speed_unit->currentIndex()), int32_t(btn_select_distance_unit->currentIndex()),
                      user_saved_path_, tileServer->text().trimmed(), routingServer->text().trimmed(), &reason) ||
        !saveEventSensitivity(int32_t(eventSensitivity->currentIndex()), &reason) ||
        !saveSnapshotChannels(snapshotChannels->currentData().toString(), &reason) || !saveCameraClock(clock, &reason)) {
        showSaveError(tr("Not saved: %1.").arg(reason));
        return;
    }
    accept();
    if (delegate_) delegate_->SettingViewClosed();
}
