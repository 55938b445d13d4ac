#pragma once

#include <QIcon>
#include <QImage>

#include <array>

// The sizes the icon is drawn in, up to those that high-resolution screens ask for; the same
// ones are installed for the desktop's menus and file managers.
inline constexpr std::array ApplicationIconSizes{16, 24, 32, 48, 64, 128, 256};

// The program's icon: a handheld pyrometer aiming its beam at a hot spot.
QIcon ApplicationIcon();
// The icon drawn on a size × size square with a transparent background.
QImage ApplicationIconImage(int size);
