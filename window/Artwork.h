#pragma once
// The window's pictures, painted by the program: the background, the folder picture of the two
// open buttons and the minimise and close glyphs.
#include <QIcon>
#include <QPixmap>

namespace stellmark::window {

QPixmap Background();     // 400 by 320
QPixmap FolderPicture();  // 16 by 16
QIcon MinimiseGlyph();
QIcon CloseGlyph();

}  // namespace stellmark::window
