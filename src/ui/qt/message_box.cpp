// Message boxes that tell the user what is wrong with an entry.
#include "ui/qt/message_box.h"

#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace tramsel {

void QtMessageBox::showError(QWidget *over, const QString &text)
{
    QString shown = text;
    shown.replace(u"\r\n"_s, u"\n"_s);  // a label breaks lines at LF and shows CR
    QMessageBox box(QMessageBox::Information, u"Tramsel - Error"_s, shown, QMessageBox::Ok, over);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace tramsel
