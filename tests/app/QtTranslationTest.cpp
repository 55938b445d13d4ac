#include "app/QtTranslation.h"

#include <QTranslator>

#include <gtest/gtest.h>

namespace {

QString cancelIn(const QLocale &locale)
{
    QTranslator translator;
    if (!LoadQtTranslation(translator, locale))
        return {};
    return translator.translate("QPlatformTheme", "Cancel");
}

} // namespace

// Qt's own buttons follow the user's language where Qt speaks it, and read in Russian, the
// language of the program's own texts, where it does not (English has no translation file).
TEST(QtTranslation, FollowsTheLocaleAndFallsBackToRussian)
{
    EXPECT_EQ(cancelIn(QLocale(QLocale::Russian, QLocale::Russia)), QStringLiteral("Отмена"));
    EXPECT_EQ(cancelIn(QLocale(QLocale::English, QLocale::UnitedStates)), QStringLiteral("Отмена"));
    EXPECT_EQ(cancelIn(QLocale(QLocale::C)), QStringLiteral("Отмена"));
    EXPECT_EQ(cancelIn(QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("Abbrechen"));
}
