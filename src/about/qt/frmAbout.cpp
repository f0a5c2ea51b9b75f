// The about box, laid out in code to the pixel.
#include "about/qt/frmAbout.h"

#include "about/about_box.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ui/qt/artwork.h"
#include "ui/qt/classic_font.h"
#include "ui/qt/first_show.h"
#include "ui/qt/loaded_windows.h"
#include "ui/qt/twips.h"

namespace tramsel {
namespace {

using namespace about_box;

QLabel *label(QWidget *parent, const char *name, const QString &text, QRect geometry)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    l->setTextInteractionFlags(Qt::NoTextInteraction);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(true);
    l->setGeometry(geometry);
    return l;
}

void paintBlack(QLabel *l)
{
    QPalette palette = l->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(palette);
}

} // namespace

frmAbout::frmAbout(QWidget *owner, LoadedWindows &windows)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      windows_(windows)
{
    setupUi();
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    windows_.load(this);
    runAfterFirstShow(this, [this] { Form_Load(); });
}

frmAbout::~frmAbout()
{
    windows_.unloaded(this);
}

void frmAbout::setupUi()
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowIcon(applicationIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(classicFont(8.25));
    setFixedSize(pixels(kClientWidth), pixels(kClientHeight));

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(pixels(kFrame1));

    // The six labels, inside the frame and placed relative to it.
    QLabel **labels[] = {&lblTitle, &lblVersion, &lblDescription, &lblDisclaimer, &Label1, &Label2};
    for (std::size_t i = 0; i < kLabels.size(); ++i) {
        const Label &entry = kLabels[i];
        QLabel *l = label(Frame1, entry.name, QString::fromUtf8(entry.text), pixels(entry.rect));
        if (entry.face == Face::TitleBold)
            l->setFont(classicFont(9.75, true));
        else if (entry.face == Face::Bold)
            l->setFont(classicFont(8.25, true));
        if (entry.face == Face::Black || entry.face == Face::TitleBold)
            paintBlack(l);
        *labels[i] = l;
    }

    // The icon belongs to the window, not the frame, and stands in front of it.
    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(aboutIcon().pixmap(QSize(32, 32)));
    picIcon->setGeometry(QRect(QPoint(pixels(kPicIcon.left), pixels(kPicIcon.top)),
                               picIcon->pixmap().deviceIndependentSize().toSize()));
    picIcon->raise();

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(pixels(kOK));
    cmdOK->setDefault(true);
    cmdOK->setFocus();
}

void frmAbout::showModal(QWidget *owner, LoadedWindows &windows)
{
    frmAbout *box = windows.find<frmAbout>();
    if (!box)
        box = new frmAbout(owner, windows);
    box->exec();
}

void frmAbout::Form_Load()
{
    // Nothing to do: every text of the box is fixed.
}

void frmAbout::reject()
{
    cmdOK->click();
}

void frmAbout::cmdOK_Click()
{
    // Closing unloads the box (it deletes itself); control returns to the
    // window that showed it.
    accept();
}

} // namespace tramsel
