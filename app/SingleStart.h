#pragma once
// One window for the files of one folder. The program keeps its targets and settings in files
// beside itself and writes them when its window closes: two windows on the same files would each
// write their own, and the later close would silently undo the other's changes. A second start
// from the same folder therefore brings the running window to the front and ends. Starts from
// other folders (other files) stay independent.

#include "Handles.h"

#include <windows.h>

#include <string>

class TSingleStart {
  public:
    // basePath: the program's files are basePath with their extensions (the executable's path).
    explicit TSingleStart(const std::string& basePath);
    TSingleStart(const TSingleStart&) = delete;
    TSingleStart& operator=(const TSingleStart&) = delete;
    ~TSingleStart();

    // No other start holds these files: this one goes on.
    bool First() const { return first_; }
    // Asks the running start's window to come to the front, restored if minimized. Waits up to
    // waitMs for that window while the other start is still coming up. When the other start ends
    // meanwhile, this one takes its place (First() is then true) and the answer is false; false
    // too when no window came.
    bool BringRunningToFront(DWORD waitMs = 15000);
    // This start's window (the process's TForm1) is up, for later starts to find.
    void Publish();

    // The message a later start posts to the running window.
    static UINT ShowRunningMessage();

  private:
    HWND PublishedWindow() const;

    TOwnedHandle mutex_;
    TOwnedHandle mapping_;
    std::string name_;
    bool first_ = true;
};
