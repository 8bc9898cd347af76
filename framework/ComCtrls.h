#pragma once
// The common controls: progress bar, status bar, track bar, up-down, tab control, date-time
// picker, list view with its header, and the stand-alone scroll bar (from SCROLLBAR). Each is
// the system's control under its own class name; the library that holds them is loaded and
// its classes registered when the first of them is made, not when the program starts.

#include "StringList.h"
#include "WinControl.h"
#include "WindowRelay.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// Registers the common-control classes of the ICC_* set (once per set); false when the library
// cannot be loaded.
bool InitCommonControlClasses(DWORD classes);

enum TProgressBarOrientation { pbHorizontal, pbVertical };
enum TTrackBarOrientation { trHorizontal, trVertical };
enum TUDOrientation { udHorizontal, udVertical };
enum TScrollBarKind { sbHorizontal, sbVertical };
enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateMode { dmComboBox, dmUpDown };
enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};

template <> struct TEnumNames<TTabPosition> {
    static constexpr const char* Names[] = {"tpTop", "tpBottom", "tpLeft", "tpRight"};
    static constexpr size_t Count = 4;
};
template <> struct TEnumNames<TDateTimeKind> {
    static constexpr const char* Names[] = {"dtkDate", "dtkTime"};
    static constexpr size_t Count = 2;
};
template <> struct TEnumNames<TDTDateMode> {
    static constexpr const char* Names[] = {"dmComboBox", "dmUpDown"};
    static constexpr size_t Count = 2;
};
template <> struct TEnumNames<TScrollBarKind> {
    static constexpr const char* Names[] = {"sbHorizontal", "sbVertical"};
    static constexpr size_t Count = 2;
};

using TScrollEvent = TMethod<void(TObject* sender, TScrollCode code, int& position)>;

class TProgressBar : public TWinControl {
  public:
    explicit TProgressBar(TComponent* owner);
    const char* ClassName() const override { return "TProgressBar"; }
    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max);
    int Position() const { return position_; }
    void SetPosition(int value);
    int Step() const { return step_; }
    void SetStep(int value);
    // Advances by Step, wrapping to Min past Max (as the control does).
    void StepIt();
    TProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TProgressBarOrientation value);
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool value);

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;

  private:
    int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
    TProgressBarOrientation orientation_ = pbHorizontal;
    bool smooth_ = false;
};

// How a status bar panel shows: its text, or whatever the bar's OnDrawPanel draws.
enum TStatusPanelStyle { psText, psOwnerDraw };

// One panel of a status bar: its text and width (the last panel takes the rest).
struct TStatusPanel {
    std::string Text;
    int Width = 50;
    TStatusPanelStyle Style = psText;
};

class TStatusBar;
class TImageList;
// Draws an owner-drawn panel (index panel) into rect of dc.
using TDrawPanelEvent = TMethod<void(TStatusBar* sender, int panel, HDC dc, const RECT& rect)>;

class TStatusBar : public TWinControl {
  public:
    explicit TStatusBar(TComponent* owner);
    const char* ClassName() const override { return "TStatusBar"; }
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    const TStatusPanel& Panel(int index) const { return panels_.at(static_cast<size_t>(index)); }
    void AddPanel(const std::string& text, int width);
    void SetPanelText(int index, const std::string& text);
    void SetPanelStyle(int index, TStatusPanelStyle style);
    // One text over the whole bar instead of the panels.
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool value);
    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& text);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool value);
    // Called for every owner-drawn panel when the bar paints it.
    TDrawPanelEvent OnDrawPanel;
    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;

  private:
    void UpdatePanels();
    void SendPanelText(size_t index);
    std::vector<TStatusPanel> panels_;
    bool simplePanel_ = false;
    std::string simpleText_;
    bool sizeGrip_ = true;
};

class TTrackBar : public TWinControl {
  public:
    explicit TTrackBar(TComponent* owner);
    const char* ClassName() const override { return "TTrackBar"; }
    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max);
    // The control's own position (the user may have moved the thumb).
    int Position() const;
    void SetPosition(int value);
    int Frequency() const { return frequency_; }
    void SetFrequency(int value);
    TTrackBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TTrackBarOrientation value);
    TNotifyEvent OnChange;
    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;

  private:
    int min_ = 0, max_ = 10, frequency_ = 1;
    mutable int position_ = 0;
    TTrackBarOrientation orientation_ = trHorizontal;
};

class TUpDown : public TWinControl {
  public:
    explicit TUpDown(TComponent* owner);
    const char* ClassName() const override { return "TUpDown"; }
    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max);
    int Position() const;
    void SetPosition(int value);
    int Increment() const { return increment_; }
    void SetIncrement(int value);
    TUDOrientation Orientation() const { return orientation_; }
    void SetOrientation(TUDOrientation value);
    // The control whose text shows the position (placed beside it at creation, unless it is the
    // up-down's parent, which places it).
    TWinControl* Associate() const { return associate_; }
    void SetAssociate(TWinControl* control);
    bool Wrap() const { return wrap_; }
    void SetWrap(bool value);
    TNotifyEvent OnChange;
    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    int min_ = 0, max_ = 100, increment_ = 1;
    mutable int position_ = 0;
    TUDOrientation orientation_ = udVertical;
    TWinControl* associate_ = nullptr;
    bool wrap_ = false;
};

class TTabControl : public TWinControl {
  public:
    explicit TTabControl(TComponent* owner);
    ~TTabControl() override;
    const char* ClassName() const override { return "TTabControl"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;
    // The tab captions; call TabsChanged after editing them.
    TStringList& Tabs() { return *tabs_; }
    void TabsChanged();
    // Takes the tab away (its caption from Tabs too); the selection stays on the tab it was on,
    // or moves to the one taking the place of a deleted selected tab (OnChange tells of that).
    void DeleteTab(int index);
    // Pictures of the tabs: tab i shows picture i. Null for none.
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    int TabIndex() const;
    void SetTabIndex(int index);
    TTabPosition TabPosition() const { return tabPosition_; }
    void SetTabPosition(TTabPosition value);
    // The area under the tabs, where the page's controls go (client coordinates).
    RECT DisplayRect();
    TNotifyEvent OnChange;
    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;
    void AdjustClientRect(RECT& rect) const override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    TStringList* tabs_;
    TImageList* images_ = nullptr;
    mutable int tabIndex_ = 0;
    TTabPosition tabPosition_ = tpTop;
};

class TDateTimePicker : public TWinControl {
  public:
    explicit TDateTimePicker(TComponent* owner);
    const char* ClassName() const override { return "TDateTimePicker"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;
    // The date and time the control shows.
    SYSTEMTIME DateTime() const;
    void SetDateTime(const SYSTEMTIME& value);
    TDateTimeKind Kind() const { return kind_; }
    void SetKind(TDateTimeKind value);
    TDTDateMode DateMode() const { return dateMode_; }
    void SetDateMode(TDTDateMode value);
    // The calendar of a date picker in combo-box mode is open. Setting it opens or closes the
    // calendar as the picker's button does; F4 and Alt+Down open it, Escape, F4, Alt+Up and
    // Alt+Down close it, whether the picker or the open calendar has the focus.
    bool DroppedDown() const;
    void SetDroppedDown(bool value);
    TNotifyEvent OnChange;
    void WndProc(TMessage& message) override;
    ~TDateTimePicker() override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;

  private:
    // The open calendar is a pop-up window of the system's: its keys reach it, not the picker.
    void HookCalendar();
    void UnhookCalendar();
    LRESULT CalendarMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // True when the key opened or closed the calendar.
    bool CalendarKey(UINT msg, WPARAM key);
    HWND Calendar() const;

    mutable SYSTEMTIME dateTime_{};
    TDateTimeKind kind_ = dtkDate;
    TDTDateMode dateMode_ = dmComboBox;
    HWND calendar_ = nullptr;
    std::unique_ptr<TWindowRelay> calendarRelay_;
};

struct TListColumn {
    std::string Caption;
    int Width = 80;
};

// A list view; the report style shows columns under a header control.
class TListView : public TWinControl {
  public:
    explicit TListView(TComponent* owner);
    const char* ClassName() const override { return "TListView"; }
    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle value);
    void AddColumn(const std::string& caption, int width);
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    // A row: its caption and the texts of the further columns.
    void AddItem(const std::string& caption, const std::vector<std::string>& subItems = {});
    int ItemCount() const { return static_cast<int>(items_.size()); }
    void Clear();
    // The header control of the report style, or null.
    HWND HeaderHandle();

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;

  private:
    void InsertColumn(int index);
    void InsertItem(int index);
    TViewStyle viewStyle_ = vsReport;
    std::vector<TListColumn> columns_;
    std::vector<std::vector<std::string>> items_;
};

// A stand-alone scroll bar.
class TScrollBar : public TWinControl {
  public:
    explicit TScrollBar(TComponent* owner);
    const char* ClassName() const override { return "TScrollBar"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;
    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind value);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int PageSize() const { return pageSize_; }
    // Range and page together (the page is at most the range + 1).
    void SetParams(int position, int min, int max, int pageSize = 0);
    int Position() const { return position_; }
    void SetPosition(int value) { SetParams(value, min_, max_, pageSize_); }
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int value) { smallChange_ = value; }
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int value) { largeChange_ = value; }
    TNotifyEvent OnChange;
    TScrollEvent OnScroll;
    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;

  private:
    void Scroll(int code, int trackPosition);
    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0, max_ = 100, position_ = 0, pageSize_ = 0, smallChange_ = 1, largeChange_ = 1;
};

// The position a scroll request asks for, within min..max - page + 1 (pure).
int ScrollTarget(int code, int position, int trackPosition, int min, int max, int pageSize, int smallChange,
                 int largeChange);
