// The window speaks the system's language where the program has a translation
// for it, and English otherwise.
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QTranslator>

#include "Translations.h"
#include "ViewController.h"

namespace {

QStringList menuTitles(const QMainWindow& w) {
    QStringList titles;
    for (const QAction* a : w.menuBar()->actions()) titles << a->text();
    return titles;
}

void removeTranslations() {
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

}  // namespace

TEST(Translation, GermanWhereTheProgramHasItEnglishElsewhere) {
    ASSERT_TRUE(installTranslations(*qApp, QLocale(QLocale::German, QLocale::Germany)));
    {
        ViewController w{MpvPlayer::Output::None};
        EXPECT_EQ(menuTitles(w), QStringList({"&Datei", "&Wiedergabe", "&Ansicht", "&Hilfe"}));
        QStringList buttons;
        for (const QPushButton* b : w.findChildren<QPushButton*>()) buttons << b->text();
        EXPECT_TRUE(buttons.contains("Öffnen…")) << buttons.join(", ").toStdString();
        // Both plural forms.
        EXPECT_EQ(QCoreApplication::translate("QObject", "%n event(s)", nullptr, 2), "2 Ereignisse");
        EXPECT_EQ(QCoreApplication::translate("QObject", "%n event(s)", nullptr, 1), "1 Ereignis");
    }
    removeTranslations();

    EXPECT_FALSE(installTranslations(*qApp, QLocale(QLocale::Icelandic, QLocale::Iceland)));
    ViewController w{MpvPlayer::Output::None};
    EXPECT_EQ(menuTitles(w), QStringList({"&File", "&Playback", "&View", "&Help"}));
    removeTranslations();
}
