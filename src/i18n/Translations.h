#pragma once
// Which translation the program speaks: its own for the system's language, and
// Qt's for the standard dialogs, where either exists.

#include <QLocale>

class QCoreApplication;

// Installs the translations for the locale on the application; false when the
// program has none for it (it then speaks English).
bool installTranslations(QCoreApplication& app, const QLocale& locale = QLocale::system());
