# The pictures compiled into the program, relative to this folder; the
# larger application icons are only installed, for the icon theme.
set(TRAMSEL_ARTWORK
    icons/hicolor/16x16/apps/tramsel.png
    icons/hicolor/24x24/apps/tramsel.png
    icons/hicolor/32x32/apps/tramsel.png
    icons/hicolor/48x48/apps/tramsel.png
    icons/about-32.png
    icons/about-16.png
    toolbar/Find.png
    toolbar/Delete.png
)
