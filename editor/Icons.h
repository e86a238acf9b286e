#pragma once

#include <QIcon>
#include <QPixmap>
#include <vector>

// Fabrio's own pictures, painted here: the buttons of toolbar 128 and of the insert bar (204), which the
// menus show beside the same commands, the program's icon and the picture of the splash and the about box.

// Toolbar 128 and the insert bar, left to right; 0 stands for a separator.
const std::vector<int>& MainToolBarButtons();
const std::vector<int>& InsertBarButtons();

// The size of every button image.
constexpr int kButtonImageWidth = 16;
constexpr int kButtonImageHeight = 15;

// True when toolbar 128 has a button for the command: the menus show the images of that toolbar only.
bool HasToolBarImage(int id);
// The button image of a command of either toolbar; a null icon for other commands.
QIcon CommandIcon(int id);
// The picture across the top of the about box, also the splash screen (bitmap 102).
QPixmap AboutPicture();
// The program's icon, the one the desktop shows for Fabrio.
QIcon FabrioIcon();
