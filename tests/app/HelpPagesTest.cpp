#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <gtest/gtest.h>

// The help as a user reads it: pages that link only to each other, need nothing from outside,
// reach the program's folder with every build, and name every message the program shows.

namespace {

const QString SourceDir = QStringLiteral(ORMA_HELP_SOURCE_DIR);
const QString BuiltDir = QStringLiteral(ORMA_HELP_BUILT_DIR);

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList pages()
{
    return QDir(SourceDir).entryList({"*.html"}, QDir::Files, QDir::Name);
}

QString page(const QString &name)
{
    return QString::fromUtf8(readAll(QDir(SourceDir).filePath(name)));
}

// Every value of the attribute in the page.
QStringList attributeValues(const QString &html, const QString &attribute)
{
    QStringList values;
    const QRegularExpression pattern("\\b" + attribute + R"re(\s*=\s*"([^"]*)")re");
    for (const QRegularExpressionMatch &match : pattern.globalMatch(html))
        values << match.captured(1);
    return values;
}

// The text a reader sees: tags dropped, entities read, blanks collapsed.
QString visibleText(QString html)
{
    html.remove(QRegularExpression("<!--.*?-->", QRegularExpression::DotMatchesEverythingOption));
    html.replace(QRegularExpression("<[^>]*>"), " ");
    const std::pair<const char *, const char *> entities[] = {
        {"&nbsp;", " "},  {"&lt;", "<"},    {"&gt;", ">"}, {"&quot;", "\""},
        {"&laquo;", "«"}, {"&raquo;", "»"}, {"&amp;", "&"}};
    for (const auto &[entity, character] : entities)
        html.replace(QString::fromLatin1(entity), QString::fromUtf8(character));
    return html.simplified();
}

} // namespace

TEST(HelpPages, StartPageAndStylesheetExist)
{
    ASSERT_TRUE(pages().contains("MainIndex.html"));
    EXPECT_TRUE(QFile::exists(QDir(SourceDir).filePath("help.css")));
}

TEST(HelpPages, BuildPutsEveryFileBesideTheProgram)
{
    const QStringList files = QDir(SourceDir).entryList({"*.html", "*.css"}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        const QByteArray built = readAll(QDir(BuiltDir).filePath(name));
        EXPECT_FALSE(built.isEmpty()) << name.toStdString();
        EXPECT_EQ(built, readAll(QDir(SourceDir).filePath(name))) << name.toStdString();
    }
}

TEST(HelpPages, EachPageIsRussianUtf8WithTitleAndStylesheet)
{
    for (const QString &name : pages()) {
        const QByteArray bytes = readAll(QDir(SourceDir).filePath(name));
        const QString html = QString::fromUtf8(bytes);
        EXPECT_EQ(html.toUtf8(), bytes) << name.toStdString() << " is not valid UTF-8";
        EXPECT_TRUE(html.startsWith("<!DOCTYPE html>")) << name.toStdString();
        EXPECT_TRUE(html.contains(R"(<html lang="ru">)")) << name.toStdString();
        EXPECT_TRUE(html.contains(R"(<meta charset="utf-8">)")) << name.toStdString();
        EXPECT_TRUE(html.contains(QRegularExpression("<title>[^<]+</title>")))
            << name.toStdString();
        EXPECT_TRUE(attributeValues(html, "href").contains("help.css")) << name.toStdString();
    }
}

// Every link reaches a page of the help and, when it names a place, that place.
TEST(HelpPages, LinksStayInsideTheHelpAndResolve)
{
    QSet<QString> reached{"MainIndex.html"};
    for (const QString &name : pages()) {
        const QString html = page(name);
        for (const QString &attribute : {QStringLiteral("href"), QStringLiteral("src")}) {
            for (const QString &target : attributeValues(html, attribute)) {
                const QUrl url(target);
                EXPECT_TRUE(url.isRelative() && url.host().isEmpty())
                    << name.toStdString() << ": " << target.toStdString();
                const QString file = url.path().isEmpty() ? name : url.path();
                ASSERT_TRUE(QFile::exists(QDir(SourceDir).filePath(file)))
                    << name.toStdString() << ": " << target.toStdString();
                if (url.hasFragment()) {
                    EXPECT_TRUE(attributeValues(page(file), "id").contains(url.fragment()))
                        << name.toStdString() << ": " << target.toStdString();
                }
                if (file.endsWith(".html") && file != name)
                    reached << file;
            }
        }
        // Nothing is fetched from elsewhere: no address, no stylesheet import, no script.
        EXPECT_FALSE(html.contains("://")) << name.toStdString();
        EXPECT_FALSE(html.contains("<script")) << name.toStdString();
    }
    const QString css = QString::fromUtf8(readAll(QDir(SourceDir).filePath("help.css")));
    EXPECT_FALSE(css.contains("@import") || css.contains("url(")) << "help.css";
    for (const QString &name : pages())
        EXPECT_TRUE(reached.contains(name)) << name.toStdString() << " is linked from no page";
}

// A user who meets a message finds it in the help, word for word.
TEST(HelpPages, NameEveryMessageOfTheProgram)
{
    QString help;
    for (const QString &name : pages())
        help += visibleText(page(name)) + ' ';

    const char *const messages[] = {
        "Ошибка открытия порта",
        "Нет прав доступа к порту",
        "Порт занят другой программой.",
        "Устройство не найдено или отключено.",
        "Это не последовательный порт.",
        "Ошибка открытия файла",
        "Подключите прибор к компьютеру.",
        "Нажмите ОК и запустите передачу данных с прибора в течение 3 минут.",
        "Переведите прибор в режим \"сбор данных\".",
        "Период опроса должен быть числом секунд от 0 до 4294967.",
        "Истек тайм-аут ожидания передачи данных.",
        "Данные не получены.",
        "Буфер приема заполнен, прием остановлен.",
        "Связь с прибором потеряна, прием остановлен.",
        "Чтение файла прервано.",
        "Полученные данные сохранены.",
        "Сохранять только выделенные данные?",
        "Данные успешно записаны в файл.",
        "Ошибка записи данных в файл.",
        "Нет данных для переноса в MS Exel.",
        "MS Exel не установлен на вашем компьютере.",
        "MS Exel не корректно установлен на вашем компьютере.",
        "Данные успешно перенесены в приложение MS Exel.",
        "AutoWrap()",
        "Не установлен принтер",
        "Ошибка получения данных",
        "Для построения графика необходимо выделить не менее 2-х измерений.",
        "Обнаружена непоследовательность по шкале времени.",
        "На график будут выведены только первые",
        "В выделенном фрагменте обнаружена непоследовательность по шкале времени.",
    };
    for (const char *message : messages)
        EXPECT_TRUE(help.contains(QString::fromUtf8(message))) << message;
}

// Each command and control the user meets is explained under the name the program gives it.
TEST(HelpPages, NameEveryCommand)
{
    QString help;
    for (const QString &name : pages())
        help += visibleText(page(name)) + ' ';
    const char *const commands[] = {
        "Источник",
        "Получить данные",
        "Прервать",
        "Из памяти",
        "Непрерывно",
        "Период опроса, сек",
        "Сохранить...",
        "Печатать...",
        "в Exel",
        "График",
        "Справка...",
        "Завершить",
        "Печать...",
        "Просмотр",
        "Весь график",
        "Автоматический выбор пределов температуры",
        "Пределы по шкале температуры",
        "Не отображать разрывы в измерениях",
        "Сигнал при выходе за пороги",
        "Пределы",
        "Окно",
        "About ORMA...",
    };
    for (const char *command : commands)
        EXPECT_TRUE(help.contains(QString::fromUtf8(command))) << command;
}
