#pragma once

#include <QWidget>

// A scale with a movable, stretchable window inside a range.
class CRangeBar : public QWidget
{
    Q_OBJECT
public:
    explicit CRangeBar(QWidget *parent = nullptr);
};
