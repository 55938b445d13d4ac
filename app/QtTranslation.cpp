#include "app/QtTranslation.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace {

bool loadQtBase(QTranslator &translator, const QLocale &locale)
{
    return translator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

} // namespace

bool LoadQtTranslation(QTranslator &translator, const QLocale &locale)
{
    // Qt's English file is empty (its texts are English already), so an English locale, or
    // none, would leave Qt's buttons English beside the program's Russian.
    const bool english = locale.language() == QLocale::English || locale.language() == QLocale::C;
    return (!english && loadQtBase(translator, locale)) ||
           loadQtBase(translator, QLocale(QLocale::Russian, QLocale::Russia));
}
