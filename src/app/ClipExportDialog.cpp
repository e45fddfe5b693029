#include "ClipExportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

ClipExportDialog::ClipExportDialog(const QString& span, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Export Clip"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(span, this));

    exact_ = new QRadioButton(tr("Exact"), this);
    fast_ = new QRadioButton(tr("Fast"), this);
    exact_->setChecked(true);
    auto note = [this](const QString& text) {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setIndent(24);
        label->setEnabled(false);  // drawn grey: it explains the choice above
        return label;
    };
    layout->addWidget(exact_);
    layout->addWidget(note(tr("Re-encoded: starts and ends on the marked frames.")));
    overlay_ = new QCheckBox(tr("Burn in telemetry: date and time, speed, G values"), this);
    auto* overlayRow = new QHBoxLayout;
    overlayRow->addSpacing(24);
    overlayRow->addWidget(overlay_);
    layout->addLayout(overlayRow);
    channels_ = new QComboBox(this);
    channels_->addItem(tr("Main only"));
    channels_->addItem(tr("Picture in Picture"), int(clips::ClipLayout::PictureInPicture));
    channels_->addItem(tr("Side by Side"), int(clips::ClipLayout::SideBySide));
    auto* channelsRow = new QFormLayout;
    channelsRow->setContentsMargins(24, 0, 0, 0);
    channelsRow->addRow(tr("Channels:"), channels_);
    layout->addLayout(channelsRow);
    layout->addWidget(fast_);
    layout->addWidget(note(tr("Streams copied, much quicker: cuts at key frames, so the clip may start "
                              "up to a few seconds before Mark In.")));
    removeLocation_ = new QCheckBox(tr("Remove location"), this);
    removeLocation_->setToolTip(tr("Leaves out the telemetry track and the file's tags, for sharing the clip "
                                   "without where the car went"));
    layout->addSpacing(6);
    layout->addWidget(removeLocation_);
    // The overlay is drawn by re-encoding.
    connect(exact_, &QRadioButton::toggled, overlay_, &QCheckBox::setEnabled);
    connect(exact_, &QRadioButton::toggled, channels_, &QComboBox::setEnabled);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Export…"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

ClipChoices ClipExportDialog::choices() const {
    const bool exact = exact_->isChecked();
    ClipChoices choices{exact ? clips::ClipMode::Exact : clips::ClipMode::Fast, exact && overlay_->isChecked(),
                        removeLocation_->isChecked(), std::nullopt};
    if (exact && channels_->currentData().isValid()) choices.channels = clips::ClipLayout(channels_->currentData().toInt());
    return choices;
}
