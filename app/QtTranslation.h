#pragma once

#include <QLocale>

class QTranslator;

// Loads Qt's own texts (the buttons of message boxes, the file and print dialogs) for locale,
// and the Russian ones when Qt has none for it, so that they read in the program's language.
// False when not even the Russian texts are installed: Qt then speaks English.
bool LoadQtTranslation(QTranslator &translator, const QLocale &locale);
