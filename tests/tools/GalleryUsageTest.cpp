// The skin gallery's command line, with the gallery started as a process of its own: what it
// prints, how it ends, and that it shows no window for a command line it does not take.
#include "HostPath.h"
#include "ProcessWindow.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

struct TRun {
    bool Ended = false;
    DWORD ExitCode = 0;
    bool ShowedWindow = false;
    std::string Out, Err;
};

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[512];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

// Runs the gallery with the arguments, its output and errors into pipes; a gallery that is
// still running after a few seconds is ended.
TRun RunGallery(const std::string& arguments) {
    TRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    EXPECT_TRUE(CreatePipe(&outRead, &outWrite, &inherit, 0) && CreatePipe(&errRead, &errWrite, &inherit, 0));
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    const std::string exe = WindowsPath(PP_SKINGALLERY_EXE);
    std::string command = "\"" + exe + "\" " + arguments;
    PROCESS_INFORMATION info{};
    const bool started = CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &info);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    EXPECT_TRUE(started) << command;
    if (started) {
        std::thread errors([&] { run.Err = ReadAll(errRead); });
        std::thread output([&] { run.Out = ReadAll(outRead); });
        for (int i = 0; i < 100 && !run.Ended; ++i) {
            run.ShowedWindow = run.ShowedWindow || VisibleCaptionWindowOf(info.dwProcessId) != nullptr;
            run.Ended = WaitForSingleObject(info.hProcess, 50) == WAIT_OBJECT_0;
        }
        if (!run.Ended) {
            TerminateProcess(info.hProcess, 1);
            WaitForSingleObject(info.hProcess, 5000);
        }
        GetExitCodeProcess(info.hProcess, &run.ExitCode);
        output.join();
        errors.join();
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return run;
}

TEST(GalleryUsage, HelpPrintsTheUsageAndAnUnknownOptionIsRefusedWithoutAWindow) {
    for (const char* help : {"--help", "-h", "/?"}) {
        const TRun run = RunGallery(help);
        EXPECT_TRUE(run.Ended) << help;
        EXPECT_FALSE(run.ShowedWindow) << help;
        EXPECT_EQ(run.ExitCode, 0u) << help;
        EXPECT_EQ(
            run.Out.rfind("usage: skingallery [--skin N] [--still] [--size WxH] [--mdi] [FILE.skn]\n", 0), 0u)
            << help << ": " << run.Out;
        EXPECT_NE(run.Out.find("--help"), std::string::npos) << help;
        EXPECT_EQ(run.Err, "") << help;
    }
    for (const char* wrong : {"--bogus", "--skin", "--size 12"}) {
        const TRun run = RunGallery(wrong);
        EXPECT_TRUE(run.Ended) << wrong;
        EXPECT_FALSE(run.ShowedWindow) << wrong;
        EXPECT_EQ(run.ExitCode, 2u) << wrong;
        EXPECT_EQ(run.Err.rfind("skingallery: ", 0), 0u) << wrong << ": " << run.Err;
        EXPECT_NE(run.Err.find("usage: skingallery"), std::string::npos) << wrong;
        EXPECT_EQ(run.Out, "") << wrong;
    }
}

} // namespace
