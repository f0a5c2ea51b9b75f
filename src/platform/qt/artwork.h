// The program's pictures: application icon, about-box icon, toolbar images.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tramsel {

// The application icon in every size drawn for it; every window carries it.
QIcon applicationIcon();

// The about box's open padlock with a dial, 32 x 32 (and 16 x 16).
QIcon aboutIcon();

// The toolbar image with the given key ("Find", "Delete"), 16 x 16, its light
// grey made transparent; a null pixmap for a key without an image.
QPixmap toolbarImage(const QString &key);

} // namespace tramsel
