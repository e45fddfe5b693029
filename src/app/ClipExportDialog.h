#pragma once
// The Export Clip dialog: how the clip is cut and what it carries.

#include <QDialog>
#include <optional>

#include "ClipExport.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

struct ClipChoices {
    clips::ClipMode mode = clips::ClipMode::Exact;
    bool overlay = false;         // burn in date and time, speed and G values (Exact only)
    bool removeLocation = false;  // no telemetry track, no metadata
    std::optional<clips::ClipLayout> channels;  // the other channels composed in (Exact only); none: main only
};

class ClipExportDialog : public QDialog {
    Q_OBJECT
public:
    // span: what the clip takes, as the dialog's first line says it.
    ClipExportDialog(const QString& span, QWidget* parent = nullptr);
    ClipChoices choices() const;

private:
    QRadioButton* exact_;
    QRadioButton* fast_;
    QCheckBox* overlay_;
    QCheckBox* removeLocation_;
    QComboBox* channels_;
};
