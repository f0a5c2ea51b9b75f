// The about box, laid out in code to the pixel.
#include "about/frmAbout.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "platform/qt/artwork.h"
#include "platform/qt/loaded_windows.h"

namespace tramsel {
namespace {

// Lengths are designed in twips: 15 to a pixel at 96 dots per inch. Qt
// scales pixels for other resolutions.
constexpr int px(int twips)
{
    return (twips + 7) / 15;
}

QRect twips(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}

// "MS Sans Serif" where it is installed, otherwise the closest face we find
// whose widths keep every one-line label on one line.
QFont sansSerif(double points, bool bold = false)
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char *name : {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arimo",
                                 "Arial", "DejaVu Sans Condensed"}) {
            if (installed.contains(QLatin1String(name), Qt::CaseInsensitive))
                return QString::fromLatin1(name);
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

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
}

frmAbout::~frmAbout()
{
    windows_.unloaded(this);
}

void frmAbout::setupUi()
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Tramsel"));
    setWindowIcon(applicationIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(sansSerif(8.25));
    setFixedSize(px(5535), px(2835));

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips(120, 0, 5295, 2295));

    // The six labels, inside the frame and placed relative to it.
    lblTitle = label(Frame1, "lblTitle", QStringLiteral("Tramsel V. 2.0"), twips(840, 240, 4095, 360));
    lblTitle->setFont(sansSerif(9.75, true));
    paintBlack(lblTitle);
    lblVersion = label(Frame1, "lblVersion",
                       QStringLiteral("Shows how NT accounts have been used (last login, last logoff, ...)"),
                       twips(840, 600, 3735, 465));
    lblDescription = label(Frame1, "lblDescription",
                           QStringLiteral("Copyright (C) 2003-2026 The Tramsel developers"),
                           twips(840, 1125, 4095, 210));
    paintBlack(lblDescription);
    lblDisclaimer = label(Frame1, "lblDisclaimer", QStringLiteral("developers@tramsel.example.org"),
                          twips(840, 1320, 3870, 225));
    paintBlack(lblDisclaimer);
    Label1 = label(Frame1, "Label1", QStringLiteral("https://tramsel.example.org/"), twips(840, 1560, 4095, 255));
    Label1->setFont(sansSerif(8.25, true));
    Label2 = label(Frame1, "Label2", QStringLiteral("Check this website for more resources about security..."),
                   twips(840, 1800, 4095, 255));

    // The icon belongs to the window, not the frame, and stands in front of it.
    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(aboutIcon().pixmap(QSize(32, 32)));
    picIcon->setGeometry(QRect(QPoint(px(240), px(240)), picIcon->pixmap().deviceIndependentSize().toSize()));
    picIcon->raise();

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twips(2040, 2400, 1467, 345));
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

void frmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
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
