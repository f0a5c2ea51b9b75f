// frmAudit drawn with Win32 and the common controls.
#include "audit/win32/frmAudit.h"

#include <commctrl.h>
#include <shobjidl.h>
#include <windowsx.h>

#include <algorithm>

#include "output/controller_columns.h"
#include "platform/win/com.h"
#include "platform/win/wide_text.h"
#include "report/account_path.h"
#include "ui/win32/loaded_windows.h"
#include "ui/win32/message_box.h"
#include "windows/resource.h"

namespace tramsel {

using namespace audit_window;

namespace {

frmAudit *theInstance = nullptr;

// Posted by the listing's and the controllers' threads: news to take.
constexpr UINT kListingNews = WM_APP + 1;
constexpr UINT kControllersNews = WM_APP + 2;
constexpr UINT kRestoreFocus = WM_APP + 3;
constexpr UINT_PTR kSettleTimer = 1;  // the selection has settled: ask its controllers
constexpr UINT kSettleMilliseconds = 300;

enum Id : int {
    kList = 10,
    kSave,
    kDomain = 20,
    kServer,
    kInactiveDaysField,
    kExpiresDaysField,
    kFind,
    kInactive = 30,
    kNeverLoggedIn,
    kLocked,
    kState,
    kPasswordExpires,
    kAccounts = 40,
    kControllers,
    kStatus,
    kFirstColumnItem = 100,  // the header menu's items: this plus the column's index
};

// The layout in pixels at 96 dpi; the controls above the table stay where
// they are, the tables and the status bar take what the window leaves.
constexpr TwipsRect at(int left, int top, int width, int height)
{
    return {left * 15, top * 15, width * 15, height * 15};
}
constexpr int kClientWidth = 760;
constexpr int kClientHeight = 520;
constexpr int kTableTop = 100;
constexpr int kMargin = 8;
constexpr int kControllersHeight = 110;
constexpr int kProgressWidth = 180;

std::wstring wide(const std::string &text) { return win::terminatedWide(text).value_or(L""); }

DateTime systemNow()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const auto ticks = (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    constexpr std::int64_t kUnixEpoch = 116444736000000000;  // 1970-01-01 in 100 ns since 1601
    return DateTime::fromUnixMicroseconds((ticks - kUnixEpoch) / 10).value_or(DateTime());
}

std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string lastErrorText()
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        GetLastError(), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string line = length ? win::utf8FromWide({text, length}).value_or("") : "";
    LocalFree(text);
    line.erase(line.find_last_not_of(" \r\n.") + 1);
    return line;
}

bool writeFile(const std::wstring &name, const std::string &bytes)
{
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return ok;
}

// The file the common Save dialog chose, and its file type (1: CSV, 2: JSON).
std::optional<std::pair<std::wstring, UINT>> askFileName(HWND owner)
{
    const win::ComGuard com;
    IFileSaveDialog *raw = nullptr;
    if (!com.ready() || FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IFileSaveDialog, reinterpret_cast<void **>(&raw))))
        return std::nullopt;
    const win::ComRef<IFileSaveDialog> dialog(raw);
    const COMDLG_FILTERSPEC types[] = {{L"CSV files (*.csv)", L"*.csv"}, {L"JSON files (*.json)", L"*.json"}};
    dialog->SetFileTypes(2, types);
    dialog->SetFileTypeIndex(1);
    dialog->SetTitle(L"Save As");
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);
    IShellItem *rawItem = nullptr;
    if (FAILED(dialog->Show(owner)) || FAILED(dialog->GetResult(&rawItem)) || !rawItem)
        return std::nullopt;
    const win::ComRef<IShellItem> item(rawItem);
    PWSTR path = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path)
        return std::nullopt;
    std::wstring name(path);
    CoTaskMemFree(path);
    UINT type = 1;
    dialog->GetFileTypeIndex(&type);
    return std::pair{std::move(name), type};
}

} // namespace

frmAudit *frmAudit::instance() { return theInstance; }

void frmAudit::show(Setup setup)
{
    if (!theInstance) {
        // The list view and the progress bar are asked for only now: nothing
        // of this window is loaded before it is first shown.
        const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&classes);
        const wchar_t *className = win::registerWindowClass<frmAudit>(
            L"frmAudit", LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAMSEL)));
        auto *window = new frmAudit(std::move(setup));
        if (!CreateWindowExW(WS_EX_CONTROLPARENT, className, wide(kCaption).c_str(),
                             WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr,
                             nullptr, GetModuleHandleW(nullptr), window)) {
            delete window;
            return;
        }
    }
    const HWND window = theInstance->hwnd_;
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetActiveWindow(window);
}

frmAudit::frmAudit(Setup setup)
    : setup_(std::move(setup)),
      // The jobs' threads only post: what they brought is taken on the window's.
      session_(
          setup_.makeSource, setup_.options, setup_.locale,
          [this] { PostMessageW(hwnd_, kListingNews, 0, 0); },
          [this] { PostMessageW(hwnd_, kControllersNews, 0, 0); })
{
    theInstance = this;
}

frmAudit::~frmAudit()
{
    if (theInstance == this)
        theInstance = nullptr;
}

LRESULT frmAudit::onMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        Form_Load();
        return 0;
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_NOTIFY:
        return onNotify(*reinterpret_cast<const NMHDR *>(lParam));
    case WM_CONTEXTMENU: {
        // The table's header (or the menu key on the table) shows or hides columns.
        const auto from = reinterpret_cast<HWND>(wParam);
        if (from == lvwAccounts || from == ListView_GetHeader(lvwAccounts)) {
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (lParam == -1) {
                RECT header{};
                GetWindowRect(ListView_GetHeader(lvwAccounts), &header);
                point = {header.left, header.bottom};
            }
            lvwAccounts_HeaderMenu(point);
            return 0;
        }
        break;
    }
    case WM_SIZE:
        layOut();
        return 0;
    case WM_GETMINMAXINFO: {
        auto &info = *reinterpret_cast<MINMAXINFO *>(lParam);
        const int dpi = controls_.dpi();
        info.ptMinTrackSize = {twipsToPixels(kClientWidth * 15, dpi), twipsToPixels(360 * 15, dpi)};
        return 0;
    }
    case WM_ACTIVATE:
        // The focus leaves with the window and comes back to the same control.
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (const HWND focus = GetFocus(); focus && IsChild(hwnd_, focus))
                focus_ = focus;
        } else if (focus_) {
            PostMessageW(hwnd_, kRestoreFocus, 0, 0);
        }
        return 0;
    case kRestoreFocus:
        if (focus_ && IsWindowVisible(focus_))
            SetFocus(focus_);
        return 0;
    case DM_GETDEFID:
        // Enter on a row shows its report; elsewhere it lists.
        return MAKELRESULT(GetFocus() == lvwAccounts ? IDOK : kList, DC_HASDEFID);
    case WM_TIMER:
        if (wParam == kSettleTimer) {
            KillTimer(hwnd_, kSettleTimer);
            lvwAccounts_SelectionSettled();
        }
        return 0;
    case kListingNews:
        takeListingNews();
        return 0;
    case kControllersNews:
        takeControllers();
        return 0;
    case WM_DPICHANGED:
        controls_.dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        SendMessageW(sbStatusBar, WM_SETFONT, 0, TRUE);
        layOut();
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        Form_Unload();
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void frmAudit::onCommand(int id, int code, HWND control)
{
    switch (id) {
    case kList:
        if (code == BN_CLICKED)
            cmdList_Click();
        break;
    case kSave:
        if (code == BN_CLICKED)
            cmdSave_Click();
        break;
    case IDCANCEL:  // cmdClose and Esc
        if (code == BN_CLICKED)
            cmdClose_Click();
        break;
    case IDOK:  // Enter on a row
        lvwAccounts_DblClick();
        break;
    case kFind:
        if (code == EN_CHANGE)
            txtFind_Change();
        break;
    case kInactiveDaysField:
    case kExpiresDaysField:
        if (code == EN_CHANGE)
            filters_Change();
        break;
    case kState:
        if (code == CBN_SELCHANGE)
            filters_Change();
        break;
    case kInactive:
    case kNeverLoggedIn:
    case kLocked:
    case kPasswordExpires:
        if (code == BN_CLICKED)
            filters_Change();
        break;
    default:
        if (id >= kFirstColumnItem && !control) {
            columns_.toggle(static_cast<std::size_t>(id - kFirstColumnItem));
            showColumns();
        }
    }
}

LRESULT frmAudit::onNotify(const NMHDR &header)
{
    if (header.hwndFrom == lvwAccounts) {
        switch (header.code) {
        case LVN_GETDISPINFOW: {
            // Only the rows in sight are asked for: the list holds none of their texts.
            auto &item = const_cast<NMLVDISPINFOW &>(reinterpret_cast<const NMLVDISPINFOW &>(header)).item;
            const auto row = static_cast<std::size_t>(item.iItem);
            const auto column = static_cast<std::size_t>(item.iSubItem);
            const Rows &rows = session_.rows();
            if ((item.mask & LVIF_TEXT) && row < rows.shown() && column < shownColumns_.size() && item.cchTextMax > 0)
                lstrcpynW(item.pszText,
                          wide(cellText(rows.shownRecord(row), shownColumns_[column], setup_.locale)).c_str(),
                          item.cchTextMax);
            return 0;
        }
        case LVN_COLUMNCLICK:
            lvwAccounts_ColumnClick(reinterpret_cast<const NMLISTVIEW &>(header).iSubItem);
            return 0;
        case NM_DBLCLK:
            lvwAccounts_DblClick();
            return 0;
        case LVN_KEYDOWN: {
            const WORD key = reinterpret_cast<const NMLVKEYDOWN &>(header).wVKey;
            if (GetKeyState(VK_CONTROL) < 0 && key == 'C')
                lvwAccounts_Copy();
            else if (GetKeyState(VK_CONTROL) < 0 && key == 'A')
                ListView_SetItemState(lvwAccounts, -1, LVIS_SELECTED, LVIS_SELECTED);
            return 0;
        }
        case LVN_ITEMCHANGED:
            if (session_.controllers())
                SetTimer(hwnd_, kSettleTimer, kSettleMilliseconds, nullptr);
            return 0;
        }
    }
    return 0;
}

void frmAudit::Form_Load()
{
    setup_.windows.load(hwnd_);
    win::setClientSize(hwnd_, kClientWidth * 15, kClientHeight * 15);
    win::centreOnScreen(hwnd_);
    controls_.attach(hwnd_);
    warningIcon_ = static_cast<HICON>(LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                 LR_SHARED));
    createControls();
    layOut();
    focus_ = txtDomain;
    SendMessageW(txtDomain, EM_SETSEL, 0, -1);
}

void frmAudit::createControls()
{
    // Created in tab order; each label just before the field its letter reaches.
    const auto label = [&](const wchar_t *text, const TwipsRect &rect) {
        controls_.create(L"STATIC", text, SS_LEFT, rect);
    };
    const auto field = [&](const TwipsRect &rect, int id, DWORD style = 0) {
        return controls_.create(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | style, rect, id, win::Typeface{},
                                WS_EX_CLIENTEDGE);
    };
    const auto check = [&](const wchar_t *text, const TwipsRect &rect, int id) {
        return controls_.create(L"BUTTON", text, WS_TABSTOP | BS_AUTOCHECKBOX, rect, id);
    };
    const auto button = [&](const char *text, const TwipsRect &rect, int id, DWORD style) {
        return controls_.create(L"BUTTON", wide(text).c_str(), WS_TABSTOP | style, rect, id);
    };

    label(L"&Domain:", at(8, 13, 52, 16));
    txtDomain = field(at(62, 10, 160, 21), kDomain);
    label(L"Se&rver:", at(232, 13, 44, 16));
    txtServer = field(at(278, 10, 250, 21), kServer);

    chkInactive = check(L"&Inactive for", at(8, 40, 84, 20), kInactive);
    txtInactiveDays = field(at(94, 40, 48, 21), kInactiveDaysField, ES_NUMBER);
    label(L"days", at(146, 43, 30, 16));
    chkNeverLoggedIn = check(L"&Never logged in", at(184, 40, 110, 20), kNeverLoggedIn);
    chkLocked = check(L"Loc&ked", at(300, 40, 70, 20), kLocked);
    label(L"S&tate:", at(376, 43, 36, 16));
    cboState = controls_.create(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, at(414, 40, 114, 120),
                                kState);

    chkPasswordExpires = check(L"&Password expires within", at(8, 70, 146, 20), kPasswordExpires);
    txtExpiresDays = field(at(156, 70, 48, 21), kExpiresDaysField, ES_NUMBER);
    label(L"days", at(208, 73, 30, 16));
    label(L"&Find:", at(246, 73, 30, 16));
    txtFind = field(at(278, 70, 250, 21), kFind);

    cmdList = button(kListText, at(548, 9, 92, 25), kList, BS_DEFPUSHBUTTON);
    cmdSave = button(kSaveText, at(548, 39, 92, 25), kSave, BS_PUSHBUTTON);
    cmdClose = button(kCloseText, at(548, 69, 92, 25), IDCANCEL, BS_PUSHBUTTON);

    // A virtual list: the rows' texts are asked for as they come in sight.
    lvwAccounts = controls_.create(WC_LISTVIEWW, L"",
                                   WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                                   at(kMargin, kTableTop, 100, 100), kAccounts, win::Typeface{}, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(lvwAccounts, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_DOUBLEBUFFER);
    lvwControllers = controls_.create(WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                                      at(kMargin, kTableTop, 100, 100), kControllers, win::Typeface{},
                                      WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(lvwControllers, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    const auto controllerColumns = audit::controllerColumns();
    for (std::size_t i = 0; i < controllerColumns.size(); ++i) {
        std::wstring key = wide(std::string(controllerColumns[i].key));
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = i == 0 ? 160 : 110;
        column.pszText = key.data();
        ListView_InsertColumn(lvwControllers, static_cast<int>(i), &column);
    }
    ShowWindow(lvwControllers, SW_HIDE);

    sbStatusBar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | SBARS_TOOLTIPS,
                                  0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatus)),
                                  GetModuleHandleW(nullptr), nullptr);
    prgListing = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD, 0, 0, 0, 0, sbStatusBar, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);

    // Every filter starts off, with the command line's usual days.
    SetWindowTextW(txtDomain, wide(setup_.domain).c_str());
    SetWindowTextW(txtInactiveDays, std::to_wstring(kInactiveDays).c_str());
    SetWindowTextW(txtExpiresDays, std::to_wstring(kExpiresDays).c_str());
    SendMessageW(txtInactiveDays, EM_LIMITTEXT, 7, 0);
    SendMessageW(txtExpiresDays, EM_LIMITTEXT, 7, 0);
    for (const char *state : kStateTexts)
        SendMessageW(cboState, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(state).c_str()));
    SendMessageW(cboState, CB_SETCURSEL, 0, 0);
    EnableWindow(cmdSave, FALSE);
    showColumns();
    filters_Change();
}

void frmAudit::layOut()
{
    if (!sbStatusBar)
        return;
    SendMessageW(sbStatusBar, WM_SIZE, 0, 0);  // it finds its own place at the bottom
    RECT client{}, bar{};
    GetClientRect(hwnd_, &client);
    GetWindowRect(sbStatusBar, &bar);
    const int dpi = controls_.dpi();
    const int margin = twipsToPixels(kMargin * 15, dpi);
    const int top = twipsToPixels(kTableTop * 15, dpi);
    const int width = std::max(0, static_cast<int>(client.right) - 2 * margin);
    int bottom = client.bottom - (bar.bottom - bar.top) - margin / 2;
    if (IsWindowVisible(lvwControllers)) {
        const int height = twipsToPixels(kControllersHeight * 15, dpi);
        MoveWindow(lvwControllers, margin, bottom - height, width, height, TRUE);
        bottom -= height + margin / 2;
    }
    MoveWindow(lvwAccounts, margin, top, width, std::max(0, bottom - top), TRUE);

    // The progress bar has a panel of its own while a listing runs.
    const int progress = twipsToPixels(kProgressWidth * 15, dpi);
    const bool listing = session_.listing();
    const int parts[] = {listing ? std::max(0, static_cast<int>(client.right) - progress - GetSystemMetrics(SM_CXVSCROLL)) : -1, -1};
    SendMessageW(sbStatusBar, SB_SETPARTS, listing ? 2 : 1, reinterpret_cast<LPARAM>(parts));
    RECT part{};
    SendMessageW(sbStatusBar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
    MoveWindow(prgListing, part.left + 1, part.top + 1, part.right - part.left - 2, part.bottom - part.top - 2, TRUE);
}

void frmAudit::Form_Unload()
{
    // Stopped and waited for: no thread of this window outlives it.
    session_.close();
    KillTimer(hwnd_, kSettleTimer);
    setup_.windows.unloaded(hwnd_);
}

std::string frmAudit::server() const { return trimmed(text(txtServer)); }

void frmAudit::cmdList_Click()
{
    if (!session_.listOrStop(trimmed(text(txtDomain)), server(), systemNow())) {
        EnableWindow(cmdList, FALSE);  // the news of its end sets the button back
        return;
    }
    showControllers(false);
    filters_Change();
    showStatus({});
    SetWindowTextW(cmdList, wide(kStopText).c_str());
    EnableWindow(cmdSave, FALSE);
    SendMessageW(prgListing, PBM_SETRANGE32, 0, 1);
    SendMessageW(prgListing, PBM_SETPOS, 0, 0);
    ShowWindow(prgListing, SW_SHOW);
    layOut();
}

void frmAudit::takeListingNews()
{
    const Session::News news = session_.takeListingNews();
    if (news.progress) {
        const Progress &p = *news.progress;
        SendMessageW(prgListing, PBM_SETRANGE32, 0, static_cast<LPARAM>(std::max<std::size_t>(p.sourcesTotal, 1)));
        SendMessageW(prgListing, PBM_SETPOS, p.sourcesDone, 0);
        showStatus({progressText(p, p.sourcesTotal > 1, setup_.locale), false, {}});
    }
    if (news.rows)
        showRows();
    if (news.ended)
        listingEnded();
}

void frmAudit::listingEnded()
{
    ShowWindow(prgListing, SW_HIDE);
    layOut();
    SetWindowTextW(cmdList, wide(kListText).c_str());
    EnableWindow(cmdList, TRUE);
    EnableWindow(cmdSave, canSave(*session_.listed()));
    showRows();
    // As wide as the rows in sight need, and never narrower than the header's text.
    const auto columns = accountColumns();
    for (std::size_t i = 0; i < shownColumns_.size(); ++i) {
        const int at = static_cast<int>(i);
        ListView_SetColumnWidth(lvwAccounts, at, LVSCW_AUTOSIZE);
        const int header = headerWidth(columns[shownColumns_[i]].key);
        if (ListView_GetColumnWidth(lvwAccounts, at) < header)
            ListView_SetColumnWidth(lvwAccounts, at, header);
    }
}

int frmAudit::headerWidth(std::string_view key) const
{
    const std::wstring text = wide(std::string(key));
    // The header's own margins and the room for its sort arrow.
    return ListView_GetStringWidth(lvwAccounts, text.c_str()) + 2 * GetSystemMetrics(SM_CXSMICON) + 12;
}

void frmAudit::showRows()
{
    session_.rows().refresh();
    // The selection is of positions, which a new order gives to other rows.
    ListView_SetItemState(lvwAccounts, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemCountEx(lvwAccounts, static_cast<int>(session_.rows().shown()), 0);
    InvalidateRect(lvwAccounts, nullptr, FALSE);
    if (const auto status = session_.status())
        showStatus(*status);
}

void frmAudit::showStatus(const Status &status)
{
    SendMessageW(sbStatusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide(status.text).c_str()));
    SendMessageW(sbStatusBar, SB_SETICON, 0, reinterpret_cast<LPARAM>(status.warning ? warningIcon_ : nullptr));
    statusTip_ = wide(status.toolTip);
    SendMessageW(sbStatusBar, SB_SETTIPTEXTW, 0, reinterpret_cast<LPARAM>(statusTip_.c_str()));
}

void frmAudit::showColumns()
{
    while (ListView_DeleteColumn(lvwAccounts, 0)) {
    }
    shownColumns_ = columns_.indices();
    const auto columns = accountColumns();
    const int dpi = controls_.dpi();
    for (std::size_t i = 0; i < shownColumns_.size(); ++i) {
        const auto &column = columns[shownColumns_[i]];
        std::wstring key = wide(std::string(column.key));
        const bool number = column.kind == ColumnKind::Count || column.kind == ColumnKind::Days;
        LVCOLUMNW item{};
        item.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        item.fmt = number ? LVCFMT_RIGHT : LVCFMT_LEFT;
        item.cx = std::max(twipsToPixels((column.kind == ColumnKind::Time ? 130 : 70) * 15, dpi), headerWidth(column.key));
        item.pszText = key.data();
        ListView_InsertColumn(lvwAccounts, static_cast<int>(i), &item);
    }
    showSortArrow();
    InvalidateRect(lvwAccounts, nullptr, TRUE);
}

void frmAudit::showSortArrow()
{
    const HWND header = ListView_GetHeader(lvwAccounts);
    for (std::size_t i = 0; i < shownColumns_.size(); ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, static_cast<int>(i), &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (session_.rows().sortColumn() == shownColumns_[i])
            item.fmt |= session_.rows().descending() ? HDF_SORTDOWN : HDF_SORTUP;
        Header_SetItem(header, static_cast<int>(i), &item);
    }
}

void frmAudit::filters_Change()
{
    // Digits only (ES_NUMBER, and at most 7 of them); an empty field keeps the usual days.
    const auto days = [this](HWND field, int fallback) {
        int value = 0;
        bool any = false;
        for (const char c : text(field))
            if (c >= '0' && c <= '9')
                value = std::min(value * 10 + (c - '0'), kMostDays), any = true;
        return any ? value : fallback;
    };
    FilterControls controls;
    controls.inactive = Button_GetCheck(chkInactive) == BST_CHECKED;
    controls.inactiveDays = days(txtInactiveDays, kInactiveDays);
    controls.neverLoggedIn = Button_GetCheck(chkNeverLoggedIn) == BST_CHECKED;
    controls.locked = Button_GetCheck(chkLocked) == BST_CHECKED;
    controls.state = static_cast<State>(std::max(0, static_cast<int>(SendMessageW(cboState, CB_GETCURSEL, 0, 0))));
    controls.passwordExpires = Button_GetCheck(chkPasswordExpires) == BST_CHECKED;
    controls.expiresDays = days(txtExpiresDays, kExpiresDays);
    session_.setFilters(controls);
    showRows();
}

void frmAudit::txtFind_Change()
{
    session_.rows().setFind(text(txtFind));
    showRows();
}

void frmAudit::lvwAccounts_ColumnClick(int subItem)
{
    if (subItem < 0 || static_cast<std::size_t>(subItem) >= shownColumns_.size())
        return;
    session_.rows().sortByClick(shownColumns_[static_cast<std::size_t>(subItem)]);
    showRows();
    showSortArrow();
}

void frmAudit::lvwAccounts_HeaderMenu(POINT at)
{
    const HMENU menu = CreatePopupMenu();
    const auto columns = accountColumns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        AppendMenuW(menu, MF_STRING | (columns_.visible(i) ? MF_CHECKED : MF_UNCHECKED),
                    kFirstColumnItem + i, wide(std::string(columns[i].key)).c_str());
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
    DestroyMenu(menu);
}

void frmAudit::lvwAccounts_DblClick()
{
    const int row = ListView_GetNextItem(lvwAccounts, -1, LVNI_FOCUSED);
    if (row < 0 || static_cast<std::size_t>(row) >= session_.rows().shown() || !setup_.showAccount)
        return;
    const AccountName name = session_.account(static_cast<std::size_t>(row));
    setup_.showAccount(name.domain, name.user);
}

std::vector<std::size_t> frmAudit::selectedRows() const
{
    std::vector<std::size_t> rows;
    for (int row = -1; (row = ListView_GetNextItem(lvwAccounts, row, LVNI_SELECTED)) >= 0;)
        rows.push_back(static_cast<std::size_t>(row));
    return rows;
}

void frmAudit::lvwAccounts_Copy()
{
    const std::vector<std::size_t> selected = selectedRows();
    if (selected.empty())
        return;
    const std::wstring copied = wide(copiedText(session_.rows(), selected, shownColumns_, setup_.locale));
    if (!OpenClipboard(hwnd_))
        return;
    EmptyClipboard();
    const std::size_t bytes = (copied.size() + 1) * sizeof(wchar_t);
    if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void *to = GlobalLock(memory)) {
            CopyMemory(to, copied.c_str(), bytes);
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_UNICODETEXT, memory))
                GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

void frmAudit::lvwAccounts_SelectionSettled()
{
    if (const int row = ListView_GetNextItem(lvwAccounts, -1, LVNI_FOCUSED); row >= 0)
        session_.askControllers(static_cast<std::size_t>(row), server());
}

void frmAudit::takeControllers()
{
    const std::optional<PerController> view = session_.takeControllers();
    if (!view)
        return;
    const auto columns = audit::controllerColumns();
    ListView_DeleteAllItems(lvwControllers);
    for (std::size_t r = 0; r < view->controllers.size(); ++r) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            std::wstring cell = wide(audit::tableText(columns[c].kind, columns[c].cell(view->controllers[r]), setup_.locale));
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(r);
            item.iSubItem = static_cast<int>(c);
            item.pszText = cell.data();
            if (c == 0)
                ListView_InsertItem(lvwControllers, &item);
            else
                ListView_SetItem(lvwControllers, &item);
        }
    }
    if (!view->error.empty())
        showStatus({view->error, true, view->error});
    showControllers(session_.controllers());
}

void frmAudit::showControllers(bool shown)
{
    if (static_cast<bool>(IsWindowVisible(lvwControllers)) == shown)
        return;
    ShowWindow(lvwControllers, shown ? SW_SHOW : SW_HIDE);
    layOut();
}

void frmAudit::cmdSave_Click()
{
    if (!session_.listed())
        return;
    const auto chosen = askFileName(hwnd_);
    if (!chosen)
        return;
    std::string name = win::utf8FromWide(chosen->first).value_or("");
    const std::string typed = name;
    const audit::Format format = saveFormat(name, chosen->second == 2 ? audit::Format::Json : audit::Format::Csv);
    const std::wstring file = wide(name);
    // The dialog asked about the name as typed; one that got its extension here is asked about now.
    if (name != typed && GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES &&
        MessageBoxW(hwnd_, (file + L" already exists.\nDo you want to replace it?").c_str(), L"Confirm Save As",
                    MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    if (!writeFile(file, session_.savedText(format)))
        win::showError(name + " could not be written: " + lastErrorText());
}

void frmAudit::cmdClose_Click() { DestroyWindow(hwnd_); }

std::string frmAudit::text(HWND control) const
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return win::utf8FromWide(text).value_or(std::string());
}

} // namespace tramsel
