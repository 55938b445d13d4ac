#pragma once

#include <QIcon>

// The program's icon: a handheld pyrometer aiming its beam at a hot spot.
QIcon ApplicationIcon();
