#include "TestApplication.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {
constexpr UINT WM_RUN_JOB = WM_APP + 1;
constexpr unsigned WatchdogPatienceMs = 10000;

// Work handed to the user-interface thread. The sender may give up waiting; it then cancels the
// job, and the lock makes sure a job already running finishes before the sender's frame goes.
struct TJob {
    std::function<void()> Work;
    std::mutex Lock;
    bool Started = false;
    bool Cancelled = false;
    // What the work threw, for the sender to report: it must fail the sender's test.
    std::string Error;
    bool Threw = false;
};

// Runs work, turning whatever it throws into text.
bool RunCatching(const std::function<void()>& work, std::string& error) {
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "an exception that is no std::exception";
    }
    return false;
}

LRESULT CALLBACK SinkProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_RUN_JOB)
        return DefWindowProcA(window, msg, wParam, lParam);
    std::unique_ptr<std::shared_ptr<TJob>> holder(reinterpret_cast<std::shared_ptr<TJob>*>(lParam));
    TJob& job = **holder;
    std::lock_guard<std::mutex> lock(job.Lock);
    if (job.Cancelled)
        return 0;
    job.Started = true;
    job.Threw = !RunCatching(job.Work, job.Error);
    return 1;
}

bool IsDialogClass(const std::string& name) {
    return name == "#32770" || name == "TMessageForm" || name == "#32768";
}

class TUiEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { Start(); }
    void TearDown() override {
        StopWatchdog();
        if (sink_)
            DestroyWindow(sink_);
        sink_ = nullptr;
        application_.reset();
    }

    TApplication& Application() {
        Start();
        return *application_;
    }
    HWND Sink() const { return sink_; }
    DWORD UiThread() const { return uiThread_; }
    int Unanswered() const { return unanswered_; }

  private:
    void Start() {
        if (application_)
            return;
        uiThread_ = GetCurrentThreadId();
        application_ = std::make_unique<TApplication>();
        application_->SetTitle("Perchpoints");
        WNDCLASSA wc{};
        wc.lpfnWndProc = SinkProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PPTestSink";
        RegisterClassA(&wc);
        sink_ =
            CreateWindowExA(0, "PPTestSink", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        watchdog_ = std::thread([this] { Watch(); });
    }

    void StopWatchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (watchdog_.joinable())
            watchdog_.join();
    }

    // Closes dialogs that nobody answers, so a test that forgot one fails instead of hanging.
    void Watch() {
        std::map<HWND, std::chrono::steady_clock::time_point> seen;
        std::unique_lock<std::mutex> lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::milliseconds(250), [this] { return stopping_; })) {
            auto now = std::chrono::steady_clock::now();
            std::map<HWND, std::chrono::steady_clock::time_point> still;
            struct TScan {
                std::map<HWND, std::chrono::steady_clock::time_point>* Seen;
                std::map<HWND, std::chrono::steady_clock::time_point>* Still;
                std::chrono::steady_clock::time_point Now;
            } scan{&seen, &still, now};
            EnumWindows(
                [](HWND window, LPARAM param) -> BOOL {
                    auto* s = reinterpret_cast<TScan*>(param);
                    DWORD process = 0;
                    GetWindowThreadProcessId(window, &process);
                    char name[64] = {};
                    GetClassNameA(window, name, sizeof name);
                    if (process != GetCurrentProcessId() || !IsWindowVisible(window) || !IsDialogClass(name))
                        return TRUE;
                    auto it = s->Seen->find(window);
                    (*s->Still)[window] = it == s->Seen->end() ? s->Now : it->second;
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&scan));
            for (auto& [window, since] : still) {
                if (now - since < std::chrono::milliseconds(WatchdogPatienceMs))
                    continue;
                char name[64] = {};
                wchar_t caption[256] = {};
                GetClassNameA(window, name, sizeof name);
                InternalGetWindowText(window, caption, 256);
                std::fprintf(stderr, "watchdog: closing an unanswered %s \"%ls\"\n", name, caption);
                ++unanswered_;
                if (std::string(name) == "#32768")
                    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
                else
                    PostMessageA(window, WM_CLOSE, 0, 0);
                since = now; // give it time to go before trying again
            }
            seen.swap(still);
        }
    }

    std::unique_ptr<TApplication> application_;
    HWND sink_ = nullptr;
    DWORD uiThread_ = 0;
    std::thread watchdog_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::atomic<int> unanswered_{0};
};

TUiEnvironment* const environment =
    static_cast<TUiEnvironment*>(::testing::AddGlobalTestEnvironment(new TUiEnvironment));
} // namespace

TApplication& TestApplication() {
    return environment->Application();
}

bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs) {
    TApplication& application = TestApplication();
    DWORD start = GetTickCount();
    for (;;) {
        application.ProcessMessages();
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void PumpFor(unsigned milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

void PumpPending() {
    TestApplication().ProcessMessages();
}

bool RunOnUiThread(const std::function<void()>& work, unsigned timeoutMs) {
    TestApplication();
    if (GetCurrentThreadId() == environment->UiThread()) {
        std::string error;
        if (RunCatching(work, error))
            return true;
        ADD_FAILURE() << "work on the user-interface thread threw: " << error;
        return false;
    }
    auto job = std::make_shared<TJob>();
    job->Work = work;
    auto* holder = new std::shared_ptr<TJob>(job);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(environment->Sink(), WM_RUN_JOB, 0, reinterpret_cast<LPARAM>(holder),
                             SMTO_NORMAL, timeoutMs, &result)) {
        // Not run in time: it must not run later, when the caller's data may be gone. Work that
        // did start has finished once the lock is ours; what it threw still counts.
        std::lock_guard<std::mutex> lock(job->Lock);
        if (!job->Started)
            job->Cancelled = true;
        else if (job->Threw)
            ADD_FAILURE() << "work on the user-interface thread threw: " << job->Error;
        return false;
    }
    if (result != 1)
        return false;
    if (job->Threw) {
        ADD_FAILURE() << "work on the user-interface thread threw: " << job->Error;
        return false;
    }
    return true;
}

int UnansweredDialogs() {
    return environment->Unanswered();
}

void TUiTest::SetUp() {
    TestApplication();
    unansweredAtStart_ = UnansweredDialogs();
}

void TUiTest::TearDown() {
    EXPECT_EQ(UnansweredDialogs(), unansweredAtStart_) << "the test left a dialog for the watchdog to close";
}

HWND FindVisibleThreadWindow(const char* className) {
    struct TSearch {
        const char* ClassName;
        HWND Found;
    } search{className, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<TSearch*>(param);
            char name[256]{};
            GetClassNameA(window, name, sizeof name);
            if (IsWindowVisible(window) && lstrcmpA(name, s->ClassName) == 0) {
                s->Found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}
