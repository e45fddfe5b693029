#pragma once
// The settings dialog: speed unit, distance unit and snapshot folder. It stores
// nothing until Save; then it tells its delegate.

#include <QDialog>
#include <QString>

class QComboBox;
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

    explicit SettingViewController(SettingViewDelegate* delegate, QWidget* parent = nullptr);

    void btn_Select_Path();
    void btn_save_and_close();

    // The folder that Save would store; null while none has been chosen or saved.
    QString user_saved_path() const { return user_saved_path_; }
    QComboBox* btn_select_speed_unit = nullptr;
    QComboBox* btn_select_distance_unit = nullptr;
    QLineEdit* textFiled_path = nullptr;

private:
    // Asks for a folder; returns its path, or a null text when cancelled. Tests
    // replace it.
    virtual QString chooseFolder();

    SettingViewDelegate* delegate_;
    QString user_saved_path_;
};
