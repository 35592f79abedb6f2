// kelmora-screenshots.exe: shows the Win32 window against the terminals of a
// configuration and saves PNG pictures of the screen (the window with its
// title bar, or the whole desktop with its notification area): the start
// with its balloon, every page, the window during a download (a command file
// of S and the command given by --download) with the busy icon and its
// progress balloon, the window after one sent from the command line and with
// a long status pair, the notification-area menu, the
// message boxes, the dialogs (the command file, the directory) and, with
// --program, the message of a second copy of that program. The window's own
// message boxes are answered by themselves (OK, and No to every question)
// and written to standard error. Run inside Wine's virtual desktop by
// `make screenshots-windows`.
//
//   kelmora-screenshots.exe --config FILE --out DIR [--download COMMAND] [--program KELMORA]
#include "engine/EventLog.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Path.h"
#include "platform/SingleInstance.h"
#include "shell/ProgramIdentity.h"
#include "shell/win32/Dialogs.h"
#include "shell/win32/Metrics.h"
#include "shell/win32/TForm1.h"
#include "shell/win32/WinText.h"
#include "tools/MessageBoxSamples.h"

#include <commctrl.h>
#include <objbase.h>
#include <wincodec.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

using namespace kelmora;
using kelmora::win32::TForm1;

namespace {

std::wstring g_out;
int g_failures = 0;

void Settle(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

template <typename T>
void Release(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

bool SavePng(HBITMAP bitmap, const std::wstring& path) {
    IWICImagingFactory* factory = nullptr;
    IWICBitmap* source = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    UINT width = 0;
    UINT height = 0;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    const bool saved =
        SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(
            factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, &source)) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
        SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(source->GetSize(&width, &height)) &&
        SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
        SUCCEEDED(frame->WriteSource(source, nullptr)) && SUCCEEDED(frame->Commit()) &&
        SUCCEEDED(encoder->Commit());
    Release(frame);
    Release(encoder);
    Release(stream);
    Release(source);
    Release(factory);
    return saved;
}

// The screen inside `area`, now.
HBITMAP Capture(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// A captured picture as DIR/NAME.png.
void Store(HBITMAP bitmap, const char* name) {
    const std::wstring path = g_out + L"\\" + win32::Wide(name) + L".png";
    const bool saved = bitmap != nullptr && SavePng(bitmap, path);
    DeleteObject(bitmap);
    std::cerr << (saved ? "saved " : "cannot save ") << name << ".png\n";
    g_failures += saved ? 0 : 1;
}

void Save(const RECT& area, const char* name) {
    Store(Capture(area), name);
}

RECT DesktopArea() {
    RECT area{};
    GetWindowRect(GetDesktopWindow(), &area);
    return area;
}

void SaveWindow(HWND window, const char* name) {
    RECT area{};
    GetWindowRect(window, &area);
    Save(area, name);
}

void SaveDesktop(const char* name) {
    Save(DesktopArea(), name);
}

// Runs `action` every `ms` from this thread's message loop (also inside a
// job's serial waits or an open menu) until it returns true.
std::function<bool()> g_every;
void Every(int ms, std::function<bool()> action) {
    g_every = std::move(action);
    SetTimer(nullptr, 0, static_cast<UINT>(ms), [](HWND, UINT, UINT_PTR id, DWORD) {
        if (!g_every || g_every()) {
            KillTimer(nullptr, id);
            g_every = nullptr;
        }
    });
}

std::wstring Argument(int argc, wchar_t** argv, const wchar_t* name) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::wstring(argv[i]) == name) {
            return argv[i + 1];
        }
    }
    return {};
}

// The modal window this thread shows now (a message box, a dialog), or null.
HWND ModalWindow() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM out) {
            wchar_t name[16] = L"";
            GetClassNameW(window, name, 16);
            if (lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(out) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Whether the notification area shows a balloon now (Wine's explorer draws
// it as a tooltip window with the balloon style).
bool BalloonShown() {
    bool shown = false;
    EnumWindows(
        [](HWND window, LPARAM out) {
            wchar_t name[32] = L"";
            GetClassNameW(window, name, 32);
            if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0 && IsWindowVisible(window) &&
                (GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON) != 0) {
                *reinterpret_cast<bool*>(out) = true;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

// Runs `show` (which opens a modal window and returns when it closes); the
// window is saved once it has settled and then closed with `closing`.
void SaveModal(const char* name, WPARAM closing, const std::function<void()>& show) {
    int ticks = 0;
    Every(100, [&] {
        HWND modal = ModalWindow();
        if (modal == nullptr || ++ticks < 8) {
            return false;
        }
        SaveWindow(modal, name);
        PostMessageW(modal, WM_COMMAND, closing, 0);
        return true;
    });
    show();
    Settle(200);
}

void MessageBoxPictures(HWND owner) {
    for (const auto& [name, box] : screenshots::SampleMessageBoxes()) {
        const WPARAM closing = box.buttons == MessageButtons::YesNo ? IDNO : IDOK;
        const std::string picture = std::string("10") + name;
        SaveModal(picture.c_str(), closing, [&, box = box] { win32::ShowMessageBox(owner, box); });
    }
}

void DialogPictures(HWND owner) {
    SaveModal("11-soubor-prikazu", IDCANCEL, [owner] { win32::ShowOpenDialog1(owner); });
    const win32::MessageAnswerer ok = [](HWND, const MessageBox&) { return MessageAnswer::Ok; };
    SaveModal("12-vyber-adresare", IDCANCEL,
              [owner, &ok] { win32::ChooseDirectory(owner, L"C:\\", ok); });
}

// A second copy of `program` started while this tool holds the program's
// single-instance mark: its message, as the screen shows it.
void SecondCopyPicture(const std::wstring& program) {
    SingleInstance mark(kInstanceMarkName);
    if (!mark.Held()) {
        std::cerr << "the single-instance mark is held by another copy\n";
        ++g_failures;
        return;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = L"\"" + program + L"\"";
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::cerr << "the second copy did not start\n";
        ++g_failures;
        return;
    }
    Settle(3000);
    SaveDesktop("13-druha-kopie");
    TerminateProcess(process.hProcess, 0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring config = Argument(argc, argv, L"--config");
    g_out = Argument(argc, argv, L"--out");
    const std::wstring download = Argument(argc, argv, L"--download");
    const std::wstring program = Argument(argc, argv, L"--program");
    if (config.empty() || g_out.empty()) {
        std::cerr
            << "usage: kelmora-screenshots.exe --config FILE --out DIR [--download COMMAND]\n";
        return 2;
    }
    CreateDirectoryW(g_out.c_str(), nullptr);
    win32::BecomeDpiAware();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                                       ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    win32::WindowOptions options;
    options.dialogs.message = [](HWND, const MessageBox& box) {
        const bool question = box.buttons == MessageButtons::YesNo;
        std::cerr << "message: " << utf8_from_cp1250(box.text)
                  << (question ? " [Ne]\n" : " [OK]\n");
        return question ? MessageAnswer::No : MessageAnswer::Ok;
    };
    // "Příkazy ze souboru" runs the download's command file, once there is one.
    std::optional<std::string> commandFile;
    options.dialogs.openCommandFile = [&commandFile](HWND) { return commandFile; };
    options.quit = [] {};
    EngineOptions engine;
    engine.iniPath = win32::Cp(config);
    engine.startDirectory = CaptureStartDirectory();
    {
        TForm1 form(std::move(engine), std::move(options));
        form.FormCreate();
        // Wine's notification area shows a balloon two seconds after it came.
        Settle(3000);
        SaveDesktop("0-start");

        form.ShowWindow();
        Settle(800);
        const char* pages[4] = {"1-ovladani-terminalu", "2-konfigurace-terminalu",
                                "3-servisni-nastaveni", "4-o-programu"};
        for (int page = 0; page < 4; ++page) {
            form.SetActivePage(static_cast<Page>(page));
            Settle(400);
            SaveWindow(form.Handle(), pages[page]);
        }
        form.Form().Button2Click();
        Settle(400);
        SaveWindow(form.Handle(), "5-chybova-hlaseni");
        form.Form().BitBtn2Click();
        form.Form().FormActivate();

        if (!download.empty()) {
            // The start balloon goes first, so the one on the picture is the
            // download's own progress.
            form.StatusIcon1().ShowBalloon(L"", L"", 0);
            Settle(1500);
            // The job of the picture is a command file: a quick command, then
            // the download. A job's progress balloon comes after each line,
            // and Wine's notification area shows a balloon only once two
            // seconds have passed without a newer one: the first line's
            // balloon shows while the download runs. The screen is copied
            // once the balloon is there, inside the job's serial waits; the
            // file is written after the job.
            const std::string file = current_directory() + "\\stahovani.txt";
            replace_file(file, "S\r\n" + win32::Cp(download) + "\r\n");
            commandFile = file;
            HBITMAP during = nullptr;
            // A download that fails at once (Wine's serial timing on a loaded
            // machine can lose the acknowledgement) is tried again.
            for (int attempt = 0; attempt < 3 && during == nullptr; ++attempt) {
                int busyTicks = 0;
                int balloonTicks = 0;
                Every(100, [&] {
                    if (!form.GetEngine().Busy()) {
                        return busyTicks > 0;
                    }
                    ++busyTicks;
                    // Two looks in a row: the balloon has had time to paint.
                    balloonTicks = BalloonShown() ? balloonTicks + 1 : 0;
                    if (balloonTicks == 2) {
                        during = Capture(DesktopArea());
                        return true;
                    }
                    return false;
                });
                // A press while the watcher looks for the request file
                // starts nothing (and says so in the status bar).
                for (int wait = 0; wait < 100 && form.GetEngine().Flags().WatcherBusy; ++wait) {
                    Settle(10);
                }
                form.Form().Button33Click();
                Settle(200);
                g_every = nullptr; // a job that never started leaves no look behind
            }
            if (during != nullptr) {
                Store(during, "6-stahovani");
            } else {
                std::cerr << "no progress balloon showed during the download\n";
                ++g_failures;
            }
            SetWindowTextW(form.Ui().Edit1, download.c_str());
            // Copying a large screen inside the job can stall its reading
            // past a byte's time: the picture after a download comes from a
            // download of its own.
            form.Form().Button1Click();
            Settle(500);
            SaveWindow(form.Handle(), "7-po-stazeni");
            // The status pair of a full memory read after a re-sent command.
            form.SetStatusPanel(1, "2500,2500");
            Settle(200);
            SaveWindow(form.Handle(), "9-dlouhy-status");
        }

        // The menu of the notification area, opened where the icon sits.
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        int menuTicks = 0;
        Every(100, [&] {
            if (++menuTicks < 8) {
                return false;
            }
            SaveDesktop("8-nabidka");
            EndMenu();
            return true;
        });
        form.StatusIcon1().ShowMenu(POINT{work.right - 40, work.bottom - 4});
        Settle(300);

        MessageBoxPictures(form.Handle());
        DialogPictures(form.Handle());
        form.FormDestroy();
    }
    if (!program.empty()) {
        SecondCopyPicture(program);
    }
    CoUninitialize();
    LocalFree(argv);
    return g_failures == 0 ? 0 : 1;
}
