// frmAudit drawn with Qt.
#include "audit/qt/frmAudit.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

#include "audit/qt/account_table.h"
#include "output/controller_columns.h"
#include "platform/qt/qt_locale.h"
#include "report/account_path.h"
#include "ui/qt/artwork.h"
#include "ui/qt/loaded_windows.h"
#include "ui/qt/message_box.h"

using namespace Qt::StringLiterals;

namespace tramsel {

using namespace audit_window;

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

DateTime dateTimeOf(const QDateTime &t)
{
    return DateTime::fromUnixMicroseconds(t.toMSecsSinceEpoch() * 1000).value_or(DateTime());
}

QSpinBox *daysField(const QString &name, int days, QWidget *parent)
{
    auto *field = new QSpinBox(parent);
    field->setObjectName(name);
    field->setRange(0, kMostDays);
    field->setValue(days);
    field->setSuffix(u" days"_s);
    return field;
}

} // namespace

frmAudit::frmAudit(Setup setup)
    : setup_(std::move(setup)),
      // Woken from the jobs' threads; what they brought is taken on this one.
      session_(
          setup_.makeSource, setup_.options, setup_.locale,
          [this] { QMetaObject::invokeMethod(this, &frmAudit::takeListingNews, Qt::QueuedConnection); },
          [this] { QMetaObject::invokeMethod(this, &frmAudit::takeControllers, Qt::QueuedConnection); })
{
    setObjectName(u"frmAudit"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(qs(kCaption));
    setWindowIcon(applicationIcon());

    createControls();
    createTable();
    createStatusBar();
    resize(900, 600);

    setup_.windows.load(this);
    txtDomain->setFocus();
}

frmAudit::~frmAudit()
{
    // The threads end before the window they wake goes.
    session_.close();
    setup_.windows.unloaded(this);
}

void frmAudit::createControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);
    auto *grid = new QGridLayout(client);

    const auto label = [client](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, client);
        l->setBuddy(buddy);
        return l;
    };

    // What to list, and the buttons.
    txtDomain = new QLineEdit(setup_.domain, client);
    txtDomain->setObjectName(u"txtDomain"_s);
    txtServer = new QLineEdit(client);
    txtServer->setObjectName(u"txtServer"_s);
    txtServer->setPlaceholderText(u"ldap://dc1.example.com"_s);
    cmdList = new QPushButton(qs(kListText), client);
    cmdList->setObjectName(u"cmdList"_s);
    cmdList->setDefault(true);
    cmdSave = new QPushButton(qs(kSaveText), client);
    cmdSave->setObjectName(u"cmdSave"_s);
    cmdSave->setEnabled(false);
    cmdClose = new QPushButton(qs(kCloseText), client);
    cmdClose->setObjectName(u"cmdClose"_s);
    auto *what = new QHBoxLayout;
    what->addWidget(label(u"&Domain:"_s, txtDomain));
    what->addWidget(txtDomain, 1);
    what->addWidget(label(u"Se&rver:"_s, txtServer));
    what->addWidget(txtServer, 1);
    what->addWidget(cmdList);
    what->addWidget(cmdSave);
    what->addWidget(cmdClose);
    grid->addLayout(what, 0, 0);

    // The command line's filters, every one off.
    chkInactive = new QCheckBox(u"&Inactive for"_s, client);
    chkInactive->setObjectName(u"chkInactive"_s);
    txtInactiveDays = daysField(u"txtInactiveDays"_s, kInactiveDays, client);
    chkNeverLoggedIn = new QCheckBox(u"&Never logged in"_s, client);
    chkNeverLoggedIn->setObjectName(u"chkNeverLoggedIn"_s);
    chkLocked = new QCheckBox(u"Loc&ked"_s, client);
    chkLocked->setObjectName(u"chkLocked"_s);
    cboState = new QComboBox(client);
    cboState->setObjectName(u"cboState"_s);
    for (const char *state : kStateTexts)
        cboState->addItem(QString::fromUtf8(state));
    chkPasswordExpires = new QCheckBox(u"&Password expires within"_s, client);
    chkPasswordExpires->setObjectName(u"chkPasswordExpires"_s);
    txtExpiresDays = daysField(u"txtExpiresDays"_s, kExpiresDays, client);
    txtFind = new QLineEdit(client);
    txtFind->setObjectName(u"txtFind"_s);
    txtFind->setClearButtonEnabled(true);
    auto *filters = new QHBoxLayout;
    filters->addWidget(chkInactive);
    filters->addWidget(txtInactiveDays);
    filters->addWidget(chkNeverLoggedIn);
    filters->addWidget(chkLocked);
    filters->addWidget(label(u"S&tate:"_s, cboState));
    filters->addWidget(cboState);
    filters->addWidget(chkPasswordExpires);
    filters->addWidget(txtExpiresDays);
    filters->addStretch(1);
    grid->addLayout(filters, 1, 0);
    auto *find = new QHBoxLayout;
    find->addWidget(label(u"&Find:"_s, txtFind));
    find->addWidget(txtFind, 1);
    grid->addLayout(find, 2, 0);

    connect(cmdList, &QPushButton::clicked, this, &frmAudit::cmdList_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmAudit::cmdSave_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmAudit::cmdClose_Click);
    connect(txtFind, &QLineEdit::textChanged, this, &frmAudit::txtFind_Change);
    for (QCheckBox *box : {chkInactive, chkNeverLoggedIn, chkLocked, chkPasswordExpires})
        connect(box, &QCheckBox::toggled, this, &frmAudit::filters_Change);
    for (QSpinBox *days : {txtInactiveDays, txtExpiresDays})
        connect(days, &QSpinBox::valueChanged, this, &frmAudit::filters_Change);
    connect(cboState, &QComboBox::currentIndexChanged, this, &frmAudit::filters_Change);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &frmAudit::cmdClose_Click);
}

void frmAudit::createTable()
{
    lvwAccounts = new QTableView(this);
    lvwAccounts->setObjectName(u"lvwAccounts"_s);
    accounts_ = new AccountTable(session_.rows(), columns_, setup_.locale, lvwAccounts);
    lvwAccounts->setModel(accounts_);
    // The controllers are asked once the selection has stayed a moment.
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(300);
    connect(settle_, &QTimer::timeout, this, &frmAudit::lvwAccounts_SelectionSettled);
    connect(lvwAccounts->selectionModel(), &QItemSelectionModel::currentRowChanged, settle_,
            qOverload<>(&QTimer::start));
    lvwAccounts->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwAccounts->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwAccounts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwAccounts->setAlternatingRowColors(true);
    lvwAccounts->setWordWrap(false);
    lvwAccounts->setShowGrid(false);
    // Rows of one height, and no row header: nothing is kept or measured per row.
    lvwAccounts->verticalHeader()->hide();
    lvwAccounts->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvwAccounts->verticalHeader()->setDefaultSectionSize(lvwAccounts->fontMetrics().height() + 6);
    QHeaderView *header = lvwAccounts->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setHighlightSections(false);
    header->setStretchLastSection(true);
    header->setDefaultSectionSize(120);
    // Columns fit what the first rows hold, not every row.
    header->setResizeContentsPrecision(200);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::sectionClicked, this, &frmAudit::lvwAccounts_HeaderClick);
    connect(header, &QHeaderView::customContextMenuRequested, this, &frmAudit::lvwAccounts_HeaderMenu);
    connect(lvwAccounts, &QTableView::activated, this, &frmAudit::lvwAccounts_DblClick);
    auto *copy = new QShortcut(QKeySequence::Copy, lvwAccounts, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &frmAudit::lvwAccounts_Copy);

    lvwControllers = new QTableWidget(this);
    lvwControllers->setObjectName(u"lvwControllers"_s);
    lvwControllers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwControllers->verticalHeader()->hide();
    lvwControllers->horizontalHeader()->setStretchLastSection(true);
    QStringList keys;
    for (const auto &column : audit::controllerColumns())
        keys << qs(column.key);
    lvwControllers->setColumnCount(static_cast<int>(keys.size()));
    lvwControllers->setHorizontalHeaderLabels(keys);
    lvwControllers->hide();

    auto *split = new QSplitter(Qt::Vertical, centralWidget());
    split->addWidget(lvwAccounts);
    split->addWidget(lvwControllers);
    split->setStretchFactor(0, 4);
    split->setStretchFactor(1, 1);
    static_cast<QGridLayout *>(centralWidget()->layout())->addWidget(split, 3, 0);

    const QList<QWidget *> order{txtDomain, txtServer,  cmdList,        cmdSave,   cmdClose,  chkInactive,
                                 txtInactiveDays, chkNeverLoggedIn, chkLocked, cboState, chkPasswordExpires,
                                 txtExpiresDays, txtFind, lvwAccounts, lvwControllers};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmAudit::createStatusBar()
{
    statusBar()->setObjectName(u"sbStatusBar"_s);
    sbWarning = new QLabel(statusBar());
    sbWarning->setObjectName(u"sbWarning"_s);
    sbWarning->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    sbWarning->hide();
    sbStatus = new QLabel(statusBar());
    sbStatus->setObjectName(u"sbStatus"_s);
    prgListing = new QProgressBar(statusBar());
    prgListing->setObjectName(u"prgListing"_s);
    prgListing->setTextVisible(true);
    prgListing->setMinimumWidth(320);
    prgListing->hide();
    statusBar()->addWidget(sbWarning);
    statusBar()->addWidget(sbStatus, 1);
    statusBar()->addPermanentWidget(prgListing);
}

std::string frmAudit::server() const { return txtServer->text().trimmed().toStdString(); }

void frmAudit::cmdList_Click()
{
    if (!session_.listOrStop(txtDomain->text().trimmed().toStdString(), server(), dateTimeOf(setup_.now()))) {
        cmdList->setEnabled(false);  // the news of its end sets the button back
        return;
    }
    filters_Change();
    lvwControllers->hide();
    showStatus({});
    cmdList->setText(qs(kStopText));
    cmdSave->setEnabled(false);
    prgListing->setRange(0, 0);
    prgListing->setFormat({});
    prgListing->show();
}

void frmAudit::takeListingNews()
{
    const Session::News news = session_.takeListingNews();
    if (news.progress) {
        const Progress &p = *news.progress;
        prgListing->setRange(0, static_cast<int>(p.sourcesTotal));
        prgListing->setValue(static_cast<int>(p.sourcesDone));
        prgListing->setFormat(QString::fromStdString(progressText(p, p.sourcesTotal > 1, setup_.locale)));
    }
    if (news.rows)
        showRows();
    if (news.ended)
        listingEnded();
}

void frmAudit::listingEnded()
{
    prgListing->hide();
    cmdList->setText(qs(kListText));
    cmdList->setEnabled(true);
    cmdSave->setEnabled(canSave(*session_.listed()));
    showRows();
    lvwAccounts->resizeColumnsToContents();
}

void frmAudit::showRows()
{
    session_.rows().refresh();
    accounts_->reset();
    if (const auto status = session_.status())
        showStatus(*status);
}

void frmAudit::showStatus(const Status &status)
{
    sbStatus->setText(QString::fromStdString(status.text));
    sbStatus->setToolTip(QString::fromStdString(status.toolTip));
    sbWarning->setToolTip(sbStatus->toolTip());
    sbWarning->setVisible(status.warning);
}

void frmAudit::filters_Change()
{
    FilterControls controls;
    controls.inactive = chkInactive->isChecked();
    controls.inactiveDays = txtInactiveDays->value();
    controls.neverLoggedIn = chkNeverLoggedIn->isChecked();
    controls.locked = chkLocked->isChecked();
    controls.state = static_cast<State>(std::max(0, cboState->currentIndex()));
    controls.passwordExpires = chkPasswordExpires->isChecked();
    controls.expiresDays = txtExpiresDays->value();
    session_.setFilters(controls);
    showRows();
}

void frmAudit::txtFind_Change()
{
    session_.rows().setFind(txtFind->text().toStdString());
    showRows();
}

void frmAudit::lvwAccounts_HeaderClick(int section)
{
    session_.rows().sortByClick(accounts_->columnAt(section));
    showRows();
    lvwAccounts->horizontalHeader()->setSortIndicator(
        section, session_.rows().descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void frmAudit::lvwAccounts_HeaderMenu(const QPoint &at)
{
    QMenu menu(this);
    const auto columns = accountColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        QAction *item = menu.addAction(qs(columns[i].key));
        item->setCheckable(true);
        item->setChecked(columns_.visible(i));
        connect(item, &QAction::triggered, this, [this, i] {
            columns_.toggle(i);
            accounts_->reset();
            // The arrow stays on the sorted column wherever it now stands.
            const auto &shown = accounts_->shownColumns();
            const Rows &rows = session_.rows();
            const auto sorted = rows.sortColumn() ? std::find(shown.begin(), shown.end(), *rows.sortColumn())
                                                  : shown.end();
            lvwAccounts->horizontalHeader()->setSortIndicator(
                sorted == shown.end() ? -1 : static_cast<int>(sorted - shown.begin()),
                rows.descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
        });
    }
    menu.exec(lvwAccounts->horizontalHeader()->mapToGlobal(at));
}

void frmAudit::lvwAccounts_DblClick(const QModelIndex &index)
{
    if (!index.isValid() || !setup_.showAccount)
        return;
    const AccountName name = session_.account(static_cast<std::size_t>(index.row()));
    setup_.showAccount(QString::fromStdString(name.domain), QString::fromStdString(name.user));
}

void frmAudit::lvwAccounts_Copy()
{
    std::vector<std::size_t> selected;
    for (const QModelIndex &index : lvwAccounts->selectionModel()->selectedRows())
        selected.push_back(static_cast<std::size_t>(index.row()));
    QApplication::clipboard()->setText(
        QString::fromStdString(copiedText(session_.rows(), selected, accounts_->shownColumns(), setup_.locale)));
}

void frmAudit::cmdSave_Click()
{
    if (!session_.listed())
        return;
    const QString csv = u"CSV files (*.csv)"_s, json = u"JSON files (*.json)"_s;
    QFileDialog dialog(this, u"Save As"_s);
    dialog.setObjectName(u"dlgSave"_s);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({csv, json});
    dialog.setDefaultSuffix(u"csv"_s);
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog, json](const QString &filter) { dialog.setDefaultSuffix(filter == json ? u"json"_s : u"csv"_s); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    std::string name = dialog.selectedFiles().constFirst().toStdString();
    const audit::Format format =
        saveFormat(name, dialog.selectedNameFilter() == json ? audit::Format::Json : audit::Format::Csv);
    const std::string text = session_.savedText(format);
    QSaveFile file(QString::fromStdString(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0
        || !file.commit())
        setup_.messageBox.showError(this, QString::fromStdString(name) + u" could not be written: "_s
                                              + file.errorString());
}

void frmAudit::cmdClose_Click() { close(); }

void frmAudit::lvwAccounts_SelectionSettled()
{
    if (const QModelIndex current = lvwAccounts->currentIndex(); current.isValid())
        session_.askControllers(static_cast<std::size_t>(current.row()), server());
}

void frmAudit::takeControllers()
{
    const std::optional<PerController> view = session_.takeControllers();
    if (!view)
        return;
    const auto columns = audit::controllerColumns();
    lvwControllers->setRowCount(static_cast<int>(view->controllers.size()));
    for (std::size_t r = 0; r < view->controllers.size(); ++r)
        for (std::size_t c = 0; c < columns.size(); ++c)
            lvwControllers->setItem(static_cast<int>(r), static_cast<int>(c),
                                    new QTableWidgetItem(QString::fromStdString(audit::tableText(
                                        columns[c].kind, columns[c].cell(view->controllers[r]), setup_.locale))));
    lvwControllers->setToolTip(QString::fromStdString(view->error));
    lvwControllers->setVisible(session_.controllers());
}

void frmAudit::closeEvent(QCloseEvent *event)
{
    session_.close();
    setup_.windows.unloaded(this);
    event->accept();
}

} // namespace tramsel
