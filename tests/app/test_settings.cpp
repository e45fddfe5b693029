#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>

#include "AppTestSupport.h"
#include "SettingViewController.h"
#include "SettingsStore.h"

namespace {
void clearSettings() { QSettings().clear(); }

class ChoosingDialog : public SettingViewController {
public:
    using SettingViewController::SettingViewController;
    QString next;  // what the folder chooser answers; null: cancelled
private:
    QString chooseFolder() override { return next; }
};

struct Delegate : SettingViewDelegate {
    int closed = 0;
    void SettingViewClosed() override { ++closed; }
};
}  // namespace

TEST(Settings, MissingKeysReadAsZeroAndNoFolder) {
    clearSettings();
    const UserSettings s = loadSettings();
    EXPECT_EQ(s.PresetSpeedUnit, 0);
    EXPECT_EQ(s.PresetDistanceUnit, 0);
    EXPECT_TRUE(s.PathOfSaveDirectory.isNull());
    EXPECT_EQ(speedUnitText(0), "Mph");
    EXPECT_EQ(speedUnitText(1), "Kmh");
    EXPECT_EQ(speedUnitText(-3), "Kmh");
}

TEST(Settings, DialogShowsThePlaceholderButNeverStoresIt) {
    clearSettings();
    LogCapture log;
    Delegate delegate;
    ChoosingDialog dialog(&delegate);
    EXPECT_TRUE(log.contains("Load SpeedUnit = 0 , DistanceUnit =0"));
    EXPECT_EQ(dialog.textFiled_path->text(), "Please select the folder");
    EXPECT_TRUE(dialog.textFiled_path->isReadOnly());
    EXPECT_EQ(dialog.btn_select_speed_unit->currentIndex(), 0);
    dialog.btn_save_and_close();
    EXPECT_EQ(delegate.closed, 1);
    EXPECT_FALSE(QSettings().contains("PathOfSaveDirectory"));
    EXPECT_TRUE(QSettings().contains("PresetSpeedUnit"));
}

TEST(Settings, ChosenFolderGetsItsSlashAndCancelKeepsIt) {
    clearSettings();
    LogCapture log;
    Delegate delegate;
    {
        ChoosingDialog dialog(&delegate);
        dialog.next = "/data/snaps";
        dialog.btn_Select_Path();
        EXPECT_EQ(dialog.textFiled_path->text(), "/data/snaps/");
        dialog.next = QString();
        dialog.btn_Select_Path();
        EXPECT_EQ(dialog.textFiled_path->text(), "/data/snaps/");
        EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "test"), 2);
        dialog.btn_select_speed_unit->setCurrentIndex(1);
        dialog.btn_select_distance_unit->setCurrentIndex(1);
        dialog.btn_save_and_close();
    }
    QSettings().sync();
    // What a restart reads: the file itself.
    QFile file(QSettings().fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray stored = file.readAll();
    EXPECT_TRUE(stored.contains("PresetSpeedUnit=1")) << stored.constData();
    EXPECT_TRUE(stored.contains("PathOfSaveDirectory=/data/snaps/")) << stored.constData();
    const UserSettings s = loadSettings();
    EXPECT_EQ(s.PresetSpeedUnit, 1);
    EXPECT_EQ(s.PresetDistanceUnit, 1);
    EXPECT_EQ(s.PathOfSaveDirectory, "/data/snaps/");
    ChoosingDialog again(&delegate);
    EXPECT_EQ(again.textFiled_path->text(), "/data/snaps/");
    EXPECT_EQ(again.btn_select_speed_unit->currentIndex(), 1);
    EXPECT_TRUE(log.contains("Load SpeedUnit = 1 , DistanceUnit =1"));
}
