// frmMain drawn with Win32.
#include "main/win32/frmMain.h"

#include <commctrl.h>

#include <vector>

#include "about/win32/frmAbout.h"
#include "enter_user/win32/frmEnterUser.h"
#include "cli/command_line.h"
#include "report/account_usage.h"
#include "ui/win32/loaded_windows.h"
#include "ui/win32/message_box.h"
#include "platform/win/standard_streams.h"
#include "ui/win32/waiting_work.h"
#include "platform/win/wide_text.h"
#include "ui/win32/window_class.h"
#include "windows/resource.h"

namespace tramsel {

using namespace main_window;

namespace {

frmMain *theMainWindow = nullptr;

// Menu items send their command's number plus this; toolbar buttons their
// index in kToolButtons plus kFirstToolButton.
constexpr int kFirstMenuCommand = 100;
constexpr int kFirstToolButton = 200;
constexpr UINT_PTR kClockTimer = 1;
// Sent by the reading thread: lParam points to the report's text.
constexpr UINT kReplaceReportText = WM_APP + 1;

std::wstring wide(const std::string &text) { return win::terminatedWide(text).value_or(L""); }

CivilDateTime now()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// Text1 takes Ctrl+A as select-all, which a multi-line edit control leaves
// to its owner.
LRESULT CALLBACK selectAllKey(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    const bool ctrlA = GetKeyState(VK_CONTROL) < 0 && wParam == 'A';
    if (msg == WM_KEYDOWN && ctrlA) {
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return 0;
    }
    if (msg == WM_CHAR && wParam == 1)  // the character Ctrl+A types
        return 0;
    return DefSubclassProc(edit, msg, wParam, lParam);
}

// The report area as the reading thread sees it: each text is written on
// the window's own thread, which the reading thread waits for, so that the
// report is there before the account is released.
class ReportAreaFromThread final : public ReportView {
public:
    explicit ReportAreaFromThread(HWND window) : window_(window) {}

    void replaceReportText(const std::string &text) override
    {
        SendMessageW(window_, kReplaceReportText, 0, reinterpret_cast<LPARAM>(&text));
    }

private:
    HWND window_;
};

} // namespace

frmMain *frmMain::instance() { return theMainWindow; }

frmMain *frmMain::create(const Services &services, const std::optional<std::string> &account)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const wchar_t *className = win::registerWindowClass<frmMain>(
        L"frmMain", LoadIconW(instance, MAKEINTRESOURCEW(IDI_TRAMSEL)));
    auto *window = new frmMain(services, account);
    // A fixed single border with a control box but no minimise or maximise box.
    if (!CreateWindowExW(0, className, wide(kCaption).c_str(), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                         CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, window)) {
        delete window;
        return nullptr;
    }
    return window;
}

frmMain::frmMain(const Services &services, const std::optional<std::string> &account)
    : services_(services), account_(account)
{
    theMainWindow = this;
}

frmMain::~frmMain()
{
    if (theMainWindow == this)
        theMainWindow = nullptr;
}

LRESULT frmMain::onMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        services_.windows.load(hwnd_);
        createMenus();
        win::setClientSize(hwnd_, kClientWidth, kClientHeight);
        win::centreOnScreen(hwnd_);
        controls_.attach(hwnd_);
        createToolBar();
        createReportArea();
        createStatusBar();
        return 0;
    case WM_SETFOCUS:
        SetFocus(Text1);
        return 0;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id >= kFirstToolButton)
            tbToolBar_ButtonClick(id - kFirstToolButton);
        else if (id >= kFirstMenuCommand)
            run(static_cast<Command>(id - kFirstMenuCommand));
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        // Read-only for typing only: Text1 keeps the look of a text field.
        if (reinterpret_cast<HWND>(lParam) == Text1) {
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    case WM_NOTIFY:
        return onNotify(*reinterpret_cast<const NMHDR *>(lParam));
    case WM_TIMER:
        if (wParam == kClockTimer)
            showDateAndTime();
        return 0;
    case WM_DPICHANGED:
        controls_.dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        shown_ = {};  // the panels are measured again
        showDateAndTime();
        return 0;
    case kReplaceReportText:
        replaceReportText(*reinterpret_cast<const std::string *>(lParam));
        return 0;
    case WM_SETCURSOR:
        if (reading_) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
            return TRUE;
        }
        break;
    case WM_CLOSE:  // Exit and the close box
        // Not while a report is read, which refers to the window: once it is there.
        if (reading_) {
            closeWhenRead_ = true;
            return 0;
        }
        Form_Unload();
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd_, kClockTimer);
        if (accelerators_)
            DestroyAcceleratorTable(accelerators_);
        if (imlToolbarIcons)
            ImageList_Destroy(imlToolbarIcons);
        services_.windows.unloaded(hwnd_);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void frmMain::createMenus()
{
    const HMENU bar = CreateMenu();
    std::vector<ACCEL> shortcuts;
    for (const Menu &menu : kMenus) {
        const HMENU popup = CreatePopupMenu();
        for (std::size_t i = 0; i < menu.count; ++i) {
            const MenuItem &item = menu.items[i];
            // The audit window has no Win32 front-end yet: its item waits for it.
            if (item.command == Command::Audit)
                continue;
            const auto id = static_cast<UINT_PTR>(kFirstMenuCommand + static_cast<int>(item.command));
            if (!*item.text) {
                AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
                continue;
            }
            std::wstring text = wide(item.text);
            if (item.shortcut) {
                text += L"\tCtrl+";
                text += static_cast<wchar_t>(item.shortcut);
                shortcuts.push_back(
                    {FCONTROL | FVIRTKEY, static_cast<WORD>(item.shortcut), static_cast<WORD>(id)});
            }
            AppendMenuW(popup, MF_STRING, id, text.c_str());
        }
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), wide(menu.text).c_str());
    }
    SetMenu(hwnd_, bar);
    accelerators_ = CreateAcceleratorTableW(shortcuts.data(), static_cast<int>(shortcuts.size()));
}

void frmMain::createToolBar()
{
    tbToolBar = controls_.create(TOOLBARCLASSNAMEW, nullptr,
                                 TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NOPARENTALIGN |
                                     CCS_NODIVIDER,
                                 kToolBar, 0, std::nullopt);
    SendMessageW(tbToolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

    // imlToolbarIcons: the images side by side on light grey, which is see-through.
    imlToolbarIcons = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 0);
    if (const auto strip =
            static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_TOOLBAR),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
        ImageList_AddMasked(imlToolbarIcons, strip, RGB(192, 192, 192));
        DeleteObject(strip);
    }
    SendMessageW(tbToolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imlToolbarIcons));
    SendMessageW(tbToolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));

    // The buttons carry no caption; their keys are their tool tips (onNotify).
    TBBUTTON buttons[kToolButtons.size() + 1] = {};
    for (std::size_t i = 0; i < kToolButtons.size(); ++i) {
        buttons[i].iBitmap = static_cast<int>(i);
        buttons[i].idCommand = kFirstToolButton + static_cast<int>(i);
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON;
    }
    buttons[kToolButtons.size()].fsStyle = BTNS_SEP;
    SendMessageW(tbToolBar, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    SendMessageW(tbToolBar, TB_SETBUTTONSIZE, 0, MAKELPARAM(kToolButtonWidth, kToolButtonHeight));
}

void frmMain::createReportArea()
{
    // The report's TABs were counted for MS Sans Serif 8 with tab stops every
    // 32 dialog units (eight average letters): with those, one column holds
    // every value. Windows still ships that face; in Tahoma, the dialog font,
    // "Last Failed Login: " would pass the first stop and push its value a
    // column right.
    Text1 = controls_.create(L"EDIT", L"",
                             ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_HSCROLL |
                                 WS_VSCROLL | WS_TABSTOP,
                             kText1, 0, win::Typeface{L"MS Sans Serif", 8.25, false}, WS_EX_CLIENTEDGE);
    const int every = 32;
    SendMessageW(Text1, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&every));
    SetWindowSubclass(Text1, selectAllKey, 0, 0);
    SetFocus(Text1);
}

void frmMain::createStatusBar()
{
    sbStatusBar =
        controls_.create(STATUSCLASSNAMEW, nullptr,
                         SBARS_TOOLTIPS | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                         kStatusBar, 0, std::nullopt);
    // A second is the longest the panels lag behind the clock.
    SetTimer(hwnd_, kClockTimer, 1000, nullptr);
    showDateAndTime();
}

void frmMain::show()
{
    ShowWindow(hwnd_, SW_SHOW);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
}

bool frmMain::translate(MSG *message)
{
    if (frmEnterUser *dialog = frmEnterUser::instance(); dialog && dialog->dialogMessage(message))
        return true;
    // The shortcuts act while the main window is the active window.
    return (message->hwnd == hwnd_ || IsChild(hwnd_, message->hwnd)) &&
           TranslateAcceleratorW(hwnd_, accelerators_, message);
}

void frmMain::replaceReportText(const std::string &text) { SetWindowTextW(Text1, wide(text).c_str()); }

void frmMain::showAccountUsage(const std::string &domain, const std::string &userName)
{
    ReportAreaFromThread area(hwnd_);
    ReportOutcome outcome;
    reading_ = true;
    win::runWhileWaiting([&] {
        outcome = tramsel::ShowAccountUsage(domain, userName, {services_.source, services_.locale, area});
    });
    reading_ = false;

    const std::string warnings = reportWarnings(outcome);
    if (!warnings.empty())
        win::writeStandardStreams({}, warnings);
    statusTip_ = wide(warnings.empty() ? warnings : warnings.substr(0, warnings.size() - 1));
    SendMessageW(sbStatusBar, SB_SETTIPTEXTW, 0, reinterpret_cast<LPARAM>(statusTip_.c_str()));
    if (closeWhenRead_)
        SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void frmMain::run(Command command)
{
    switch (command) {
    case Command::EnterUser:
        mnuEnterUser_Click();
        break;
    case Command::Clear:
        mnuClear_Click();
        break;
    case Command::Exit:
        mnuFileExit_Click();
        break;
    case Command::About:
        mnuHelpAbout_Click();
        break;
    case Command::Audit:
    case Command::None:
        break;
    }
}

LRESULT frmMain::onNotify(const NMHDR &header)
{
    if (header.code == TTN_GETDISPINFOW) {
        auto &info = const_cast<NMTTDISPINFOW &>(reinterpret_cast<const NMTTDISPINFOW &>(header));
        const auto index = static_cast<std::size_t>(header.idFrom - kFirstToolButton);
        static const std::wstring tips[] = {wide(kToolButtons[0]), wide(kToolButtons[1])};
        if (header.idFrom >= kFirstToolButton && index < std::size(tips))
            info.lpszText = const_cast<wchar_t *>(tips[index].c_str());
    }
    return 0;
}

void frmMain::Form_Load()
{
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    // Drawn at once: a report named on the command line may take a while,
    // or ask the user something, and the window is there first.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!translate(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    reportCommandLineAccount();
}

void frmMain::reportCommandLineAccount()
{
    if (!account_)
        return;
    const AccountArgument account = splitAccount(*account_, services_.locale);
    if (account.error) {
        win::showError(*account.error);
        return;
    }
    ShowAccountUsage(account.domain, account.userName);
}

void frmMain::Form_Unload()
{
    win::LoadedWindows &windows = services_.windows;
    unloadOtherWindows(windows.count(), [&windows](std::size_t i) {
        if (const HWND window = windows.at(i))
            DestroyWindow(window);
    });
}

void frmMain::tbToolBar_ButtonClick(int index)
{
    try {
        if (index >= 0 && static_cast<std::size_t>(index) < kToolButtons.size())
            run(toolbarCommand(kToolButtons[static_cast<std::size_t>(index)]));
    } catch (...) {
    }
}

void frmMain::mnuEnterUser_Click()
{
    frmEnterUser::show(services_.windows, [](const std::string &domain, const std::string &userName) {
        ShowAccountUsage(domain, userName);
    });
}

void frmMain::mnuClear_Click() { replaceReportText({}); }

void frmMain::mnuFileExit_Click() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

void frmMain::mnuHelpAbout_Click() { frmAbout::showModal(hwnd_, services_.windows); }

void frmMain::showDateAndTime()
{
    const StatusTexts texts = statusTexts(services_.locale, now());
    if (texts.date == shown_.date && texts.time == shown_.time && !shown_.status.empty())
        return;
    shown_ = texts;
    const std::wstring parts[] = {wide(texts.status), wide(texts.date), wide(texts.time)};

    // Date and time as wide as their texts (with the panels' borders), the
    // status panel what they leave.
    const HDC dc = GetDC(sbStatusBar);
    const auto old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(sbStatusBar, WM_GETFONT, 0, 0)));
    const auto textWidth = [dc](const std::wstring &text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx + 4 * GetSystemMetrics(SM_CXEDGE);
    };
    const int dateWidth = textWidth(parts[1]);
    const int timeWidth = textWidth(parts[2]);
    SelectObject(dc, old);
    ReleaseDC(sbStatusBar, dc);

    int borders[3] = {};
    SendMessageW(sbStatusBar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    const int dpi = controls_.dpi();
    const PanelWidths widths = panelWidths(twipsToPixels(kStatusBar.width, dpi), dateWidth, timeWidth,
                                           twipsToPixels(kMinimumPanelWidth, dpi), borders[2]);
    const int rightEdges[] = {widths.status, widths.status + borders[2] + widths.date,
                              widths.status + widths.date + 2 * borders[2] + widths.time};
    SendMessageW(sbStatusBar, SB_SETPARTS, std::size(rightEdges), reinterpret_cast<LPARAM>(rightEdges));
    for (int i = 0; i < 3; ++i)
        SendMessageW(sbStatusBar, SB_SETTEXTW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(parts[i].c_str()));
}

} // namespace tramsel
