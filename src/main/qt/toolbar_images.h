// imlToolbarIcons: the main window's toolbar images, looked up by key.
#pragma once

#include <QPixmap>
#include <QString>

namespace tramsel {

// The 16 x 16 image keyed "Find" (binoculars) or "Delete" (a cross), light
// grey drawn transparent; a null pixmap for any other key.
QPixmap toolbarImage(const QString &key);

} // namespace tramsel
