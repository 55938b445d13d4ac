#include "app/CFileDaysDlg.h"

#include "acquisition/Timeline.h"

#include <QDateEdit>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

CFileDaysDlg::CFileDaysDlg(const QStringList &paths, const std::vector<QDate> &days,
                           QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Объединение файлов"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Файлы будут показаны одной кривой в порядке дат (не больше %1 дней).\n"
                       "Проверьте даты измерений:")
            .arg(TimelineMostDays)));

    auto *rows = new QWidget;
    auto *grid = new QGridLayout(rows);
    grid->addWidget(new QLabel(QStringLiteral("Файл")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Дата")), 0, 1);
    for (qsizetype index = 0; index < paths.size(); ++index) {
        const auto row = static_cast<int>(index) + 1;
        auto *name = new QLabel(QFileInfo(paths[index]).fileName());
        name->setToolTip(paths[index]);
        grid->addWidget(name, row, 0);
        const QDate day = static_cast<std::size_t>(index) < days.size()
                              ? days[static_cast<std::size_t>(index)]
                              : QDate();
        auto *edit = new QDateEdit(day.isValid() ? day : QDate::currentDate());
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        edit->setCalendarPopup(true);
        name->setBuddy(edit);
        grid->addWidget(edit, row, 1);
        m_dayEdits.push_back(edit);
    }
    // A fortnight of daily files or more scrolls rather than running off the screen.
    auto *scroll = new QScrollArea;
    scroll->setWidget(rows);
    scroll->setWidgetResizable(true);
    scroll->setMinimumWidth(rows->sizeHint().width() + 30);
    layout->addWidget(scroll);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Отмена"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::vector<QDate> CFileDaysDlg::days() const
{
    std::vector<QDate> result;
    for (const QDateEdit *edit : m_dayEdits)
        result.push_back(edit->date());
    return result;
}
