#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <functional>
#include <optional>

#include "AppTestSupport.h"
#include "SettingViewController.h"
#include "SettingsStore.h"
#include "ViewController.h"

namespace {
// The dialog with its folder chooser answering `next` (null: cancelled).
class ChoosingDialog : public SettingViewController {
public:
    explicit ChoosingDialog(SettingViewDelegate* delegate)
        : SettingViewController(delegate, "https://tiles.example/{z}/{x}/{y}.png", "https://route.example") {
        setFolderChoice([this] { return next; });
    }
    QString next;
};

struct Delegate : SettingViewDelegate {
    int closed = 0;
    void SettingViewClosed() override { ++closed; }
};

// What a restart reads, as one text: the units, the folder, the servers ("null" when never saved).
QString loaded() {
    const UserSettings s = loadSettings();
    const auto text = [](const QString& v) { return v.isNull() ? QStringLiteral("null") : v; };
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(s.PresetSpeedUnit)
        .arg(s.PresetDistanceUnit)
        .arg(text(s.PathOfSaveDirectory), text(s.TileServerUrl), text(s.RoutingServerUrl));
}
}  // namespace

TEST(Settings, ChosenFolderGetsItsSlashAndCancelKeepsIt) {
    QSettings().clear();
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
    EXPECT_EQ(loaded(), "1 1 /data/snaps/ https://tiles.example/{z}/{x}/{y}.png https://route.example");
    ChoosingDialog again(&delegate);
    EXPECT_EQ(again.textFiled_path->text(), "/data/snaps/");
    EXPECT_EQ(again.btn_select_speed_unit->currentIndex(), 1);
    EXPECT_TRUE(log.contains("Load SpeedUnit = 1 , DistanceUnit =1"));
}

TEST(Settings, MissingKeysReadAsZeroAndUnitsOutsideThePopUpsAreClamped) {
    const struct {
        std::optional<int> stored;
        int shown;
    } cases[] = {{std::nullopt, 0}, {-1, 0}, {7, 1}, {1, 1}, {0, 0}};
    Delegate delegate;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or(-99));
        QSettings().clear();
        LogCapture log;
        if (c.stored) {
            QSettings().setValue("PresetSpeedUnit", *c.stored);
            QSettings().setValue("PresetDistanceUnit", *c.stored);
        }
        EXPECT_EQ(loaded(), QStringLiteral("%1 %1 null null null").arg(c.shown));
        ChoosingDialog dialog(&delegate);
        // Never an empty pop-up; the placeholder is shown, never stored.
        EXPECT_EQ((QStringList{QString::number(dialog.btn_select_speed_unit->currentIndex()),
                               QString::number(dialog.btn_select_distance_unit->currentIndex()),
                               dialog.textFiled_path->text()}),
                  (QStringList{QString::number(c.shown), QString::number(c.shown), "Please select the folder"}));
        EXPECT_TRUE(dialog.textFiled_path->isReadOnly());
        EXPECT_TRUE(log.contains(QStringLiteral("Load SpeedUnit = %1 , DistanceUnit =%1").arg(c.shown).toStdString()));
        dialog.btn_save_and_close();
        EXPECT_EQ(QSettings().value("PresetSpeedUnit").toInt(), c.shown);  // never -1
        EXPECT_FALSE(QSettings().contains("PathOfSaveDirectory"));
        EXPECT_EQ(QSettings().value("PresetSnapshotChannels").toString(), "main");  // the main channel unless chosen
    }
    EXPECT_EQ(delegate.closed, int(std::size(cases)));
    // Snapshot channels: "all" as stored, anything else the main channel.
    for (const char* stored : {"all", "ALL", "", "both"}) {
        QSettings().setValue("PresetSnapshotChannels", stored);
        const QString expected = QString(stored) == "all" ? "all" : "main";
        EXPECT_EQ(loadSettings().PresetSnapshotChannels, expected) << stored;
        ChoosingDialog dialog(&delegate);
        EXPECT_EQ(dialog.snapshotChannels->currentData().toString(), expected) << stored;
    }
}

TEST(Settings, ServersAreShownStoredAndOverriddenByTheEnvironment) {
    QSettings().clear();
    Delegate delegate;
    ChoosingDialog dialog(&delegate);
    EXPECT_EQ(dialog.tileServer->text(), "https://tiles.example/{z}/{x}/{y}.png");  // what is used until changed
    EXPECT_EQ(dialog.routingServer->text(), "https://route.example");
    dialog.tileServer->clear();
    dialog.routingServer->setText(" http://127.0.0.1:5000 ");
    dialog.btn_save_and_close();
    EXPECT_EQ(loaded(), "0 0 null  http://127.0.0.1:5000");  // the tile server off, not "never saved"

    // Only http and https: Qt reads a file:// URL itself, and a FIFO there hangs the
    // window. Anything else is refused with a log line, and the service is off.
    const struct {
        const char* environment;  // nullptr: not set
        QString stored, used;
        bool refused = false;
    } cases[] = {{nullptr, QString(), "http://builtin"}, {nullptr, "", ""}, {nullptr, "http://a", "http://a"},
                 {"", "http://a", ""}, {"http://env", "http://a", "http://env"},
                 {"HTTPS://env/{z}/{x}/{y}.png", "", "HTTPS://env/{z}/{x}/{y}.png"},
                 {"file:///tmp/fifo/{z}/{x}/{y}.png", "http://a", "", true}, {nullptr, "file:///tmp/fifo", "", true},
                 {nullptr, "ftp://a", "", true}, {"/tmp/tiles/{z}/{x}/{y}.png", "", "", true}, {"http://", "", "", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.environment ? c.environment : "(unset)") << " " << c.stored.toStdString());
        LogCapture log;
        c.environment ? qputenv("DASHCAM_TEST_SERVER", c.environment) : qunsetenv("DASHCAM_TEST_SERVER");
        EXPECT_EQ(serverUrl("DASHCAM_TEST_SERVER", c.stored, "http://builtin"), c.used);
        const QString from = c.environment ? "DASHCAM_TEST_SERVER" : "the settings";
        EXPECT_EQ(log.lines, c.refused ? std::vector<std::string>{QStringLiteral("Ignored the server %1 from %2: only http and "
                                                                                  "https URLs are taken; the service is off")
                                                                       .arg(c.environment ? c.environment : c.stored, from)
                                                                       .toStdString()}
                                       : std::vector<std::string>{});
    }
    qunsetenv("DASHCAM_TEST_SERVER");

    // The dialog says so beside the field, and stores nothing until both servers are web ones.
    ChoosingDialog refusing(&delegate);
    refusing.open();
    const auto notes = [&] {
        QStringList shown;
        for (const QLabel* label : refusing.findChildren<QLabel*>())
            if (label->isVisible() && label->text().contains("http")) shown << label->text();
        return shown;
    };
    EXPECT_EQ(notes(), (QStringList{"http or https only", "http or https only"}));
    refusing.tileServer->setText("file:///tmp/fifo");
    refusing.btn_select_speed_unit->setCurrentIndex(1);
    refusing.btn_save_and_close();
    EXPECT_TRUE(refusing.isVisible());
    EXPECT_EQ(loaded(), "0 0 null  http://127.0.0.1:5000");
    EXPECT_EQ(notes(), (QStringList{"Refused: only http and https URLs", "http or https only",
                                    "Not saved: the tile and routing servers take only http and https URLs."}));
    refusing.tileServer->setText("https://tiles.example/{z}/{x}/{y}.png");
    refusing.btn_save_and_close();
    EXPECT_FALSE(refusing.isVisible());
    EXPECT_EQ(loaded(), "1 0 null https://tiles.example/{z}/{x}/{y}.png http://127.0.0.1:5000");
}

TEST(Settings, AFailedSaveIsSaidAndTheDialogStaysOpen) {
    QSettings().clear();
    QSettings().sync();
    const QString file = QSettings().fileName();
    QFile::remove(file);
    ASSERT_TRUE(QDir().mkpath(file));  // a folder where the file must go: unwritable, even for root
    Delegate delegate;
    ChoosingDialog dialog(&delegate);
    dialog.open();
    dialog.btn_select_speed_unit->setCurrentIndex(1);
    dialog.btn_save_and_close();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(delegate.closed, 0);
    EXPECT_FALSE(dialog.saveError->isHidden());
    EXPECT_TRUE(dialog.saveError->text().contains(file)) << dialog.saveError->text().toStdString();
    QDir().rmdir(file);
    dialog.btn_save_and_close();  // writable again
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(delegate.closed, 1);
}

// As desktop programs have it: File ▸ Settings… as well as the button, both opening the dialog.
TEST(Settings, OpenedFromTheFileMenuAndTheButton) {
    QSettings().clear();
    ViewController w{MpvPlayer::Output::None};
    w.show();
    QAction& entry = actionNamed(w, QStringLiteral("Se&ttings…"));
    const QList<QAction*> menus = w.menuBar()->actions();
    ASSERT_FALSE(menus.isEmpty());
    EXPECT_TRUE(menus[0]->menu()->actions().contains(&entry)) << "not in the File menu";
    for (const std::function<void()>& open : std::initializer_list<std::function<void()>>{
             [&] { entry.trigger(); }, [&] { buttonNamed(w, QStringLiteral("Settings…")).click(); }}) {
        open();
        auto* dialog = w.findChild<SettingViewController*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isVisible());
        dialog->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(w.findChild<SettingViewController*>(), nullptr);  // a fresh one each time
    }
}
