#include "companions/CRangeBar.h"

CRangeBar::CRangeBar(QWidget *parent) : QWidget(parent) {}
