// Test tool: walks the setup wizard from outside, as a user would, by clicking its real
// buttons and reading its real controls. Prints "ok: ..." or "FAIL: ..." per check and exits
// with 1 when a check failed.
//   tk_wizard walk EDITION RUN SHOTDIR AGREEMENT   every page with its checks, the quit
//       question answered No on the welcome page and during the install, then Finish with
//       CheckBox2 ticked (RUN 1) or unticked (RUN 0). SHOTDIR ("-" for none) receives
//       page0.bmp to page6.bmp; AGREEMENT is the agreement file Memo1 must show.
//   tk_wizard keys                                 Enter, Esc, Tab and the "&" keys, then
//       Cancel answered Yes.
//   tk_wizard close-on-complete EDITION            installs, then closes the window on the
//       last page and answers the quit question Yes.
//   tk_wizard during-batch answer|kill             starts a Server install whose folder rights
//       fall back to the batch, whose stand-in "icacls" runs for seconds: "answer" checks that
//       the wizard answers messages meanwhile, keeps the quit question open until the batch
//       is over, answers No and ends with Finish; "kill" ends the setup program outright (as
//       taskkill /F would) while the first "icacls" runs.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "app/wizard_layout.h"

namespace {

using tk::app::LabelId;
using tk::app::TabSheetId;
namespace ids = tk::app;

constexpr wchar_t kCaption[] = L"tidyKiosk Filter v3 Installation";
int failures = 0;
HWND wizard = nullptr;

std::string Utf8(const std::wstring& text) {
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(out.empty() ? 0 : out.size() - 1);
    return out;
}

void Check(const std::string& what, bool passed) {
    std::printf("%s: %s\n", passed ? "ok" : "FAIL", what.c_str());
    std::fflush(stdout);
    failures += passed ? 0 : 1;
}

void CheckText(const std::string& what, const std::wstring& expected, const std::wstring& actual) {
    Check(what, expected == actual);
    if (expected != actual) {
        std::printf("  expected: %s\n  actual:   %s\n", Utf8(expected).c_str(),
                    Utf8(actual).c_str());
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout = 15000) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeout) {
            return false;
        }
        ::Sleep(30);
    }
    return true;
}

struct Search {
    int id;
    HWND found;
};

BOOL CALLBACK MatchId(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (::GetDlgCtrlID(child) == search->id) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

// Any control of the wizard, however deep in its pages, by its id.
HWND Control(int id) {
    Search search{id, nullptr};
    ::EnumChildWindows(wizard, &MatchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring Text(HWND window) {
    wchar_t text[8192] = {};
    ::SendMessageW(window, WM_GETTEXT, 8192, reinterpret_cast<LPARAM>(text));
    return text;
}
std::wstring Text(int id) {
    return Text(Control(id));
}
bool Visible(int id) {
    return ::IsWindowVisible(Control(id)) != FALSE;
}
bool Enabled(int id) {
    return ::IsWindowEnabled(Control(id)) != FALSE;
}
bool Checked(int id) {
    return ::SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
bool OnPage(int page) {
    return Visible(TabSheetId(page));
}

// The control's rectangle in the wizard's client coordinates.
RECT Place(int id) {
    RECT rect{};
    ::GetWindowRect(Control(id), &rect);
    ::MapWindowPoints(HWND_DESKTOP, wizard, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void CheckPlace(const char* name, int id, int left, int top, int width, int height) {
    const RECT r = Place(id);
    const bool same =
        r.left == left && r.top == top && r.right - r.left == width && r.bottom - r.top == height;
    Check(std::string(name) + " at " + std::to_string(left) + "," + std::to_string(top) + " " +
              std::to_string(width) + "x" + std::to_string(height),
          same);
    if (!same) {
        std::printf("  actual: %ld,%ld %ldx%ld\n", r.left, r.top, r.right - r.left,
                    r.bottom - r.top);
    }
}

// Clicks and waits for the click to be handled.
void Click(int id) {
    ::SendMessageW(Control(id), BM_CLICK, 0, 0);
}
// Clicks without waiting: the click opens a modal window or starts the install.
void PostClick(int id) {
    ::PostMessageW(Control(id), BM_CLICK, 0, 0);
}

HWND FindDialog(const wchar_t* title) {
    HWND dialog = nullptr;
    while ((dialog = ::FindWindowExW(nullptr, dialog, L"#32770", title)) != nullptr) {
        if (::IsWindowVisible(dialog)) {
            return dialog;
        }
    }
    return nullptr;
}

HWND WaitForDialog(const wchar_t* title) {
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindDialog(title)) != nullptr; });
    return dialog;
}

// A visible dialog owned by the wizard (the folder dialog has no fixed title).
HWND OwnedDialog() {
    HWND dialog = nullptr;
    while ((dialog = ::FindWindowExW(nullptr, dialog, L"#32770", nullptr)) != nullptr) {
        if (::IsWindowVisible(dialog) && ::GetWindow(dialog, GW_OWNER) == wizard) {
            return dialog;
        }
    }
    return nullptr;
}

void AnswerDialog(HWND dialog, int button) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
    WaitUntil([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); });
}

// Waits for the quit question, checks its text and answers it.
void QuitQuestion(const std::wstring& appName, int answer, const std::string& when) {
    const HWND box = WaitForDialog(kCaption);
    Check("quit question shown " + when, box != nullptr);
    if (box == nullptr) {
        return;
    }
    CheckText("quit question text " + when,
              L"Are you sure you want to quit " + appName + L" Setup?",
              Text(::GetDlgItem(box, 0xFFFF)));
    AnswerDialog(box, answer);
}

// Saves the wizard as it is on the screen as a 24-bit BMP file.
void Screenshot(const std::string& folder, int page) {
    if (folder == "-") {
        return;
    }
    ::RedrawWindow(wizard, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::Sleep(300);
    RECT rect{};
    ::GetWindowRect(wizard, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);
    const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    const std::string path = folder + "\\page" + std::to_string(page) + ".bmp";
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), imageSize);
    Check("screenshot of page " + std::to_string(page), out.good());
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

std::wstring AppName(int edition) {
    return edition == 0 ? L"tidyKiosk Filter Server v3.3.33 en"
                        : L"tidyKiosk Filter Client v3.3.33 en";
}

void CheckButtons(const std::string& page, bool backVisible, bool backEnabled, bool nextEnabled,
                  const std::wstring& nextCaption, bool cancelEnabled) {
    Check(page + ": Back " + (backVisible ? "visible" : "hidden"),
          Visible(ids::kBackButton) == backVisible);
    if (backVisible) {
        Check(page + ": Back " + (backEnabled ? "enabled" : "disabled"),
              Enabled(ids::kBackButton) == backEnabled);
    }
    Check(page + ": Next " + (nextEnabled ? "enabled" : "disabled"),
          Enabled(ids::kNextButton) == nextEnabled);
    CheckText(page + ": Next caption", nextCaption, Text(ids::kNextButton));
    Check(page + ": Cancel " + (cancelEnabled ? "enabled" : "disabled"),
          Enabled(ids::kCancelButton) == cancelEnabled);
}

bool FindWizard() {
    WaitUntil([] {
        wizard = ::FindWindowW(L"tkInstaller", nullptr);
        return wizard != nullptr && ::IsWindowVisible(wizard);
    });
    Check("the wizard window is shown", wizard != nullptr);
    return wizard != nullptr;
}

void CheckGeometry() {
    RECT client{};
    ::GetClientRect(wizard, &client);
    Check("client area 504 x 363", client.right == 504 && client.bottom == 363);
    const LONG style = ::GetWindowLongW(wizard, GWL_STYLE);
    Check("fixed single border with system menu and minimise only",
          (style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) && (style & WS_MINIMIZEBOX) &&
              !(style & WS_MAXIMIZEBOX) && !(style & WS_THICKFRAME));
    RECT outer{};
    ::GetWindowRect(wizard, &outer);
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    Check("centred on the screen", std::abs((outer.left + outer.right) - screenWidth) <= 1 &&
                                       std::abs((outer.top + outer.bottom) - screenHeight) <= 1);
    CheckText("window caption", kCaption, Text(wizard));
    CheckPlace("PageControl1", ids::kPages, -3, -5, 508, 345);
    CheckPlace("Button3 (Back)", ids::kBackButton, 250, 328, 75, 25);
    CheckPlace("Button2 (Next)", ids::kNextButton, 328, 328, 75, 25);
    CheckPlace("Button1 (Cancel)", ids::kCancelButton, 416, 328, 75, 25);
    CheckPlace("Panel1 (version)", ids::kVersionPanel, 8, 328, 185, 25);
    CheckPlace("Image1 (banner)", ids::kBannerPicture, 0, 0, 165, 315);
    CheckPlace("Image2 (logo)", ids::kLogoPicture, 27, 163, 110, 132);
    CheckText("version panel", L"Version v3", Text(ids::kVersionPanel));

    // The logo follows the banner when the window lays itself out again: 20 pixels above
    // its bottom, centred on its width.
    const HWND banner = Control(ids::kBannerPicture);
    ::SetWindowPos(banner, nullptr, 0, 0, 145, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(wizard, WM_SIZE, SIZE_RESTORED, MAKELPARAM(504, 363));
    CheckPlace("Image2 (logo) after the banner shrank", ids::kLogoPicture, 17, 148, 110, 132);
    ::SetWindowPos(banner, nullptr, 0, 0, 165, 315, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(wizard, WM_SIZE, SIZE_RESTORED, MAKELPARAM(504, 363));
    CheckPlace("Image2 (logo) back in its place", ids::kLogoPicture, 27, 163, 110, 132);
}

void CheckWelcome() {
    Check("page 0 shows", OnPage(0));
    for (int page = 1; page < 7; ++page) {
        Check("page " + std::to_string(page) + " hidden at start", !OnPage(page));
    }
    CheckText("Label1", L"Welcome to tidyKiosk Firewall Setup Wizard", Text(LabelId(1)));
    CheckText("Label2",
              L"This wizard will guide you through the installation of tidyKiosk Firewall.\r\n\r\n"
              L"It is recommended that you close all other applications before starting Setup. "
              L"This will make it possible to update relevant system files without having to "
              L"reboot your computer.\r\n\r\nClick Next to continue.",
              Text(LabelId(2)));
    CheckButtons("page 0", false, true, true, L"&Next >", true);
}

int Walk(int edition, bool run, const std::string& shots, const std::string& agreementFile) {
    if (!FindWizard()) {
        return 1;
    }
    CheckGeometry();
    CheckWelcome();
    Screenshot(shots, 0);

    PostClick(ids::kCancelButton);
    QuitQuestion(L"tidyKiosk Filter v3", IDNO, "on page 0 (No)");
    Check("No keeps the wizard on page 0", ::IsWindow(wizard) && OnPage(0));

    Click(ids::kNextButton);
    Check("Next shows page 1", OnPage(1) && !OnPage(0));
    CheckButtons("page 1", true, true, false, L"&Next >", true);
    CheckText("page 1 title", L"License Agreement", Text(LabelId(3)));
    CheckText("page 1 subtitle", L"Please accept the agreement to continue", Text(LabelId(4)));
    CheckText("page 1 agreement heading", L"License Agreement && Terms and Conditions",
              Text(LabelId(5)));
    std::ifstream agreementStream(agreementFile, std::ios::binary);
    const std::string agreement((std::istreambuf_iterator<char>(agreementStream)),
                                std::istreambuf_iterator<char>());
    Check("Memo1 shows the agreement",
          !agreement.empty() &&
              Text(ids::kAgreementText) == std::wstring(agreement.begin(), agreement.end()));
    CheckText("CheckBox1 caption", L"I accept the agreement", Text(ids::kAgreeCheckBox));
    Check("CheckBox1 unticked", !Checked(ids::kAgreeCheckBox));
    Click(ids::kNextButton);
    Check("a click on the disabled Next changes nothing", OnPage(1));
    Click(ids::kAgreeCheckBox);
    Check("ticking the agreement enables Next", Enabled(ids::kNextButton));
    Screenshot(shots, 1);
    Click(ids::kBackButton);
    Check("Back returns to page 0", OnPage(0) && !Visible(ids::kBackButton));
    Click(ids::kNextButton);
    Check("coming back to page 1 clears the tick",
          !Checked(ids::kAgreeCheckBox) && !Enabled(ids::kNextButton));
    Click(ids::kAgreeCheckBox);
    Click(ids::kNextButton);

    Check("page 2 shows", OnPage(2));
    CheckButtons("page 2", true, true, false, L"&Next >", true);
    CheckText("page 2 title", L"Select the Application", Text(LabelId(6)));
    CheckText("RadioButton1 caption", AppName(0), Text(ids::kServerChoice));
    CheckText("RadioButton2 caption", AppName(1), Text(ids::kClientChoice));
    CheckText("Label9", L"This will be installed in the Server (Cashier) computer",
              Text(LabelId(9)));
    CheckText("Label11", L"This will be installed in Client computer", Text(LabelId(11)));
    Click(edition == 0 ? ids::kServerChoice : ids::kClientChoice);
    Check("choosing an edition enables Next", Enabled(ids::kNextButton));
    Screenshot(shots, 2);
    Click(ids::kNextButton);

    const std::wstring folder = std::wstring(L"C:\\Program Files (x86)\\tidyKiosk\\") +
                                (edition == 0 ? L"Filter Server\\" : L"Filter Client\\");
    Check("page 3 shows", OnPage(3));
    CheckButtons("page 3", true, true, true, L"&Next >", true);
    CheckText("page 3 subtitle", L"tidyKiosk will be installed in the following folder",
              Text(LabelId(12)));
    CheckText("Edit1 holds the default folder", folder, Text(ids::kFolderEdit));
    Check("Edit1 is read-only",
          (::GetWindowLongW(Control(ids::kFolderEdit), GWL_STYLE) & ES_READONLY));
    PostClick(ids::kBrowseButton);
    HWND browse = nullptr;
    WaitUntil([&] { return (browse = OwnedDialog()) != nullptr; });
    Check("Browse opens the folder dialog", browse != nullptr);
    if (browse != nullptr) {
        AnswerDialog(browse, IDCANCEL);
    }
    CheckText("cancelling the folder dialog keeps the folder", folder, Text(ids::kFolderEdit));
    Screenshot(shots, 3);
    Click(ids::kBackButton);
    Click(ids::kNextButton);
    CheckText("Back and Next keep the folder", folder, Text(ids::kFolderEdit));
    Click(ids::kNextButton);

    Check("page 4 shows", OnPage(4));
    CheckButtons("page 4", true, true, true, L"&Install", true);
    CheckText("page 4 subtitle", L"Ready to install tidyKiosk Firewall", Text(LabelId(15)));
    CheckText("Label16 names the application", AppName(edition), Text(LabelId(16)));
    CheckText("Label18 names the folder", folder, Text(LabelId(18)));
    Screenshot(shots, 4);

    // The quit question, asked right as the install starts, holds it on the progress page.
    PostClick(ids::kNextButton);
    ::PostMessageW(wizard, WM_CLOSE, 0, 0);
    const HWND box = WaitForDialog(kCaption);
    Check("closing during the install asks the quit question", box != nullptr);
    Check("page 5 shows", OnPage(5));
    CheckButtons("page 5", true, false, false, L"&Install", true);
    CheckText("Label22", AppName(edition) + L" is installing. Please wait...", Text(LabelId(22)));
    CheckText("status line", L"Kurulum i\u00e7in haz\u0131rlan\u0131yor...", Text(LabelId(23)));
    CheckText("file line", L"...", Text(ids::kCurrentFileLine));
    if (box != nullptr) {
        ::SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Screenshot(shots, 5);
        CheckText("quit question during the install",
                  L"Are you sure you want to quit " + AppName(edition) + L" Setup?",
                  Text(::GetDlgItem(box, 0xFFFF)));
        AnswerDialog(box, IDNO);
    }

    // After the files the file line says "Please wait..." until the last page. Reading it
    // waits for the install to let the window handle messages, as it does between steps.
    bool sawPleaseWait = false;
    const DWORD start = ::GetTickCount();
    while (!sawPleaseWait && !OnPage(6) && ::GetTickCount() - start < 60000) {
        sawPleaseWait = Text(ids::kCurrentFileLine) == L"Please wait...";
    }
    Check("the file line said \"Please wait...\" after the files", sawPleaseWait);

    Check("the install ends on page 6", WaitUntil([] { return OnPage(6); }, 60000));
    Check("page 5 hidden", !OnPage(5));
    CheckButtons("page 6", true, false, true, L"&Finish", false);
    CheckText("page 6 title", L"Installation Complete", Text(LabelId(30)));
    CheckText("Label24",
              AppName(edition) + L" is successfully installed. Please click Finish to quit.",
              Text(LabelId(24)));
    CheckText("CheckBox2 caption", L"Run " + AppName(edition), Text(ids::kRunCheckBox));
    Check("CheckBox2 ticked by default", Checked(ids::kRunCheckBox));
    if (!run) {
        Click(ids::kRunCheckBox);
        Check("CheckBox2 unticked", !Checked(ids::kRunCheckBox));
    }
    Screenshot(shots, 6);
    PostClick(ids::kNextButton);
    Check("Finish ends the wizard", WaitUntil([] { return !::IsWindow(wizard); }));
    return failures == 0 ? 0 : 1;
}

HWND FocusOf() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(wizard, nullptr), &info);
    return info.hwndFocus;
}

void Key(UINT message, WPARAM key, LPARAM flags = 0) {
    ::PostMessageW(FocusOf(), message, key, flags);
    ::Sleep(300);
}

int Keys() {
    if (!FindWizard()) {
        return 1;
    }
    WaitUntil([] { return FocusOf() == Control(ids::kNextButton); }, 5000);
    Check("Next has the focus at start", FocusOf() == Control(ids::kNextButton));
    Key(WM_KEYDOWN, VK_RETURN);
    Check("Enter presses Next", WaitUntil([] { return OnPage(1); }, 5000));
    Key(WM_KEYDOWN, VK_RETURN);
    Check("Enter does nothing while Next is disabled", OnPage(1));
    Check("with Next disabled the focus goes to the agreement",
          FocusOf() == Control(ids::kAgreementText));
    const int tabOrder[] = {ids::kAgreeCheckBox, ids::kBackButton, ids::kCancelButton,
                            ids::kAgreementText};
    for (const int id : tabOrder) {
        Key(WM_KEYDOWN, VK_TAB);
        Check("Tab moves on in reading order to control " + std::to_string(id),
              FocusOf() == Control(id));
    }
    Key(WM_KEYDOWN, VK_TAB);
    Key(WM_KEYDOWN, VK_SPACE);
    Key(WM_KEYUP, VK_SPACE);
    Check("Space ticks the agreement",
          WaitUntil([] { return Checked(ids::kAgreeCheckBox); }, 3000));
    Key(WM_SYSCHAR, 'n', 1 << 29);
    Check("Alt+N presses Next", WaitUntil([] { return OnPage(2); }, 5000));
    // Windows ticks an automatic radio button that gets the focus: the page must not hand
    // the focus to one, or it would choose an edition for the user.
    Check("on page 2 the focus is on no edition button",
          FocusOf() != Control(ids::kServerChoice) && FocusOf() != Control(ids::kClientChoice));
    Check("on page 2 no edition is chosen and Next waits",
          !Checked(ids::kServerChoice) && !Checked(ids::kClientChoice) &&
              !::IsWindowEnabled(Control(ids::kNextButton)));
    Key(WM_KEYDOWN, VK_ESCAPE);
    QuitQuestion(L"tidyKiosk Filter v3", IDNO, "after Esc (No)");
    Check("the wizard stays on page 2", OnPage(2));
    PostClick(ids::kCancelButton);
    QuitQuestion(L"tidyKiosk Filter v3", IDYES, "after Cancel (Yes)");
    Check("Yes ends the wizard", WaitUntil([] { return !::IsWindow(wizard); }));
    return failures == 0 ? 0 : 1;
}

int CloseOnComplete(int edition) {
    if (!FindWizard()) {
        return 1;
    }
    Click(ids::kNextButton);
    Click(ids::kAgreeCheckBox);
    Click(ids::kNextButton);
    Click(edition == 0 ? ids::kServerChoice : ids::kClientChoice);
    Click(ids::kNextButton);
    Click(ids::kNextButton);
    PostClick(ids::kNextButton);
    Check("the install ends on page 6", WaitUntil([] { return OnPage(6); }, 60000));
    ::PostMessageW(wizard, WM_CLOSE, 0, 0);
    QuitQuestion(AppName(edition), IDNO, "on page 6 (No)");
    Check("No keeps page 6", ::IsWindow(wizard) && OnPage(6));
    ::PostMessageW(wizard, WM_CLOSE, 0, 0);
    QuitQuestion(AppName(edition), IDYES, "on page 6 (Yes)");
    Check("Yes ends the wizard", WaitUntil([] { return !::IsWindow(wizard); }));
    return failures == 0 ? 0 : 1;
}

// Lines of a file in %TEMP% that the stand-in "icacls" writes.
int LinesOf(const char* name) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    std::ifstream in(std::string(temp) + name);
    return static_cast<int>(
        std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n'));
}

bool HasChild(DWORD parent, const wchar_t* name) {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found;
         more = ::Process32NextW(snapshot, &entry)) {
        found = entry.th32ParentProcessID == parent && ::lstrcmpiW(entry.szExeFile, name) == 0;
    }
    ::CloseHandle(snapshot);
    return found;
}

int DuringBatch(const std::string& how) {
    if (!FindWizard()) {
        return 1;
    }
    Click(ids::kNextButton);
    Click(ids::kAgreeCheckBox);
    Click(ids::kNextButton);
    Click(ids::kServerChoice);
    Click(ids::kNextButton);
    Click(ids::kNextButton);
    PostClick(ids::kNextButton);
    Check("the batch started \"icacls\"",
          WaitUntil([] { return LinesOf("tk-icacls.log") > 0; }, 180000));
    if (how == "kill") {
        DWORD id = 0;
        ::GetWindowThreadProcessId(wizard, &id);
        const HANDLE setup = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        Check("the setup program ended outright while \"icacls\" ran",
              setup != nullptr && LinesOf("tk-icacls-ended.log") == 0 &&
                  ::TerminateProcess(setup, 1) &&
                  ::WaitForSingleObject(setup, 30000) == WAIT_OBJECT_0);
        return failures == 0 ? 0 : 1;
    }
    for (int look = 1; look <= 4; ++look) {
        DWORD_PTR result = 0;
        const bool answered =
            ::SendMessageTimeoutW(wizard, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
        Check("the wizard answers within a second while the batch runs (" + std::to_string(look) +
                  ")",
              answered && LinesOf("tk-icacls-ended.log") < 2);
        ::Sleep(500);
    }
    // The quit question stays open until both "icacls" runs are over: the batch is ended
    // meanwhile, and what they did still counts.
    PostClick(ids::kCancelButton);
    const HWND box = WaitForDialog(kCaption);
    Check("the quit question is open while the batch runs",
          box != nullptr && LinesOf("tk-icacls-ended.log") < 2);
    WaitUntil([] { return LinesOf("tk-icacls-ended.log") == 2; }, 60000);
    DWORD setup = 0;
    ::GetWindowThreadProcessId(wizard, &setup);
    Check("with the question open, the batch ended once both had run",
          WaitUntil([&] { return !HasChild(setup, L"cmd.exe"); }, 10000));
    AnswerDialog(box, IDNO);
    Check("the install ends on page 6", WaitUntil([] { return OnPage(6); }, 180000));
    Check("the folder rights count as done",
          Text(ids::kCompletionText).find(L"access rights") == std::wstring::npos);
    PostClick(ids::kNextButton);
    Check("Finish ends the wizard", WaitUntil([] { return !::IsWindow(wizard); }));
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "walk" && argc == 6) {
        return Walk(std::atoi(argv[2]), std::atoi(argv[3]) != 0, argv[4], argv[5]);
    }
    if (command == "keys") {
        return Keys();
    }
    if (command == "close-on-complete" && argc == 3) {
        return CloseOnComplete(std::atoi(argv[2]));
    }
    if (command == "during-batch" && argc == 3) {
        return DuringBatch(argv[2]);
    }
    std::fprintf(stderr, "usage: tk_wizard walk|keys|close-on-complete|during-batch ...\n");
    return 2;
}
