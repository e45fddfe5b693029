#pragma once
// The settings dialog: speed unit, distance unit, snapshot folder and channels, the camera's
// clock and the map's servers. It stores nothing until Save; then it tells its delegate. A save that
// fails is said in the dialog, which stays open.

#include <QDialog>
#include <QString>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;

class SettingViewDelegate {
public:
    virtual ~SettingViewDelegate() = default;
    virtual void SettingViewClosed() = 0;
};

class SettingViewController : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kNoFolderText = "Please select the folder";

    // The servers shown when none was ever saved.
    SettingViewController(SettingViewDelegate* delegate, const QString& defaultTileServer, const QString& defaultRoutingServer,
                          QWidget* parent = nullptr);

    void btn_Select_Path();
    // What Select asks for: a folder's path, or a null text when cancelled. The
    // folder dialog unless replaced (tests answer in its place).
    void setFolderChoice(std::function<QString()> choice) { chooseFolder_ = std::move(choice); }
    void btn_save_and_close();

    // The folder that Save would store; null while none has been chosen or saved.
    QString user_saved_path() const { return user_saved_path_; }
    QComboBox* btn_select_speed_unit = nullptr;
    QComboBox* btn_select_distance_unit = nullptr;
    QComboBox* eventSensitivity = nullptr;  // Low, Normal, High
    QComboBox* snapshotChannels = nullptr;  // the main channel, all channels; data the stored text
    QLineEdit* textFiled_path = nullptr;
    QComboBox* cameraClock = nullptr;   // this computer's zone, UTC, or the offset below
    QLineEdit* cameraOffset = nullptr;  // "+HH:MM" or "-HH:MM"; used with the third choice
    QLineEdit* tileServer = nullptr;     // "{z}/{x}/{y}" URL; empty: no tiles
    QLineEdit* routingServer = nullptr;  // OSRM base URL; empty: no routing
    QLabel* tileServerNote = nullptr;     // beside each server: what it takes, or why it is refused
    QLabel* routingServerNote = nullptr;
    QLabel* saveError = nullptr;         // hidden until a save fails

private:
    QString cameraClockText() const;  // the CameraClock text the choice stands for
    // Says beside the field whether its server can be used; false when it cannot.
    bool checkServer(const QLineEdit* field, QLabel* note) const;
    void showSaveError(const QString& text);
    SettingViewDelegate* delegate_;
    std::function<QString()> chooseFolder_;
    QString user_saved_path_;
};
