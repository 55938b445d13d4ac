#pragma once

#include <QDate>
#include <QDialog>
#include <QStringList>

#include <vector>

class QDateEdit;

// The files about to be joined into one timeline, each with the day its readings are taken
// to be from, for the user to check and correct before the joining.
class CFileDaysDlg : public QDialog
{
    Q_OBJECT
public:
    // One day for each of paths; an unknown one is offered as today.
    CFileDaysDlg(const QStringList &paths, const std::vector<QDate> &days,
                 QWidget *parent = nullptr);

    // The days as the dialog shows them, in the order of the paths.
    std::vector<QDate> days() const;

private:
    std::vector<QDateEdit *> m_dayEdits;
};
