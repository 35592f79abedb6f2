#include "shell/win32/Win32Program.h"

#include "engine/EventLog.h"
#include "shell/win32/Dialogs.h"
#include "shell/win32/Metrics.h"
#include "shell/win32/TForm1.h"

#include <commctrl.h>
#include <objbase.h>

#include <atomic>
#include <memory>

namespace kelmora {

namespace {

// The common controls (version 6 through the manifest), COM for the shell's
// directory dialog, and TForm1.
class Win32Shell : public ProgramShell {
public:
    Win32Shell(EngineOptions engineOptions, LifeCycleEvents events)
        : engineOptions_(std::move(engineOptions)), events_(std::move(events)) {}

    ~Win32Shell() override {
        if (comReady_) {
            CoUninitialize();
        }
    }

    void Prepare() override {
        win32::BecomeDpiAware();
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                                           ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                           ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }

    void ShowStartMessage(const MessageBox& box) override { win32::ShowMessageBox(nullptr, box); }

    bool Start() override {
        EngineOptions options = engineOptions_;
        options.startDirectory = CaptureStartDirectory();
        win32::WindowOptions windowOptions;
        windowOptions.lifeCycle = events_;
        form_ = std::make_unique<win32::TForm1>(std::move(options), std::move(windowOptions));
        if (form_->GetEngine().SecondCopy()) {
            return false;
        }
        window_ = form_->Handle();
        form_->FormCreate();
        return true;
    }

    void RunLoop() override {
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (!form_->PreTranslate(message) && !IsDialogMessageW(form_->Handle(), &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }

    // From the stop signals' thread: a job ends after its current command,
    // and the window's thread is told.
    void RequestStop() override {
        form_->GetEngine().RequestStop();
        PostMessageW(window_.load(), win32::kStopMessage, 0, 0);
    }

    void Stop() override {
        window_ = nullptr;
        form_.reset();
    }

private:
    EngineOptions engineOptions_; // the files main chose
    LifeCycleEvents events_;
    bool comReady_ = false;
    std::unique_ptr<win32::TForm1> form_;
    std::atomic<HWND> window_{nullptr};
};

} // namespace

int RunWin32Window(EngineOptions engineOptions, const LifeCycleEvents& events) {
    Win32Shell shell(std::move(engineOptions), events);
    return RunProgram(shell);
}

std::optional<std::string> MissingDesktopForWindow() {
    USEROBJECTFLAGS flags{};
    if (GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                  nullptr) &&
        (flags.dwFlags & WSF_VISIBLE) == 0) {
        return std::string("no visible window station (a service or a remote shell)");
    }
    return std::nullopt;
}

} // namespace kelmora
