// The toolkit where faults would hide: ownership and notices, the loading phase, the replaceable
// message handler, control lookup, properties by name, alignment, files, bitmaps and dialogs.
// Everything runs on real windows and real files.
#include "UiTestSupport.h"

#include "BmpCodec.h"
#include "Buttons.h"
#include "Dialogs.h"
#include "Form.h"
#include "IniFile.h"
#include "Label.h"
#include "Menus.h"
#include "Panel.h"
#include "StringList.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {
// Writes down what happens to it: its notices, its Loaded and its end.
class TProbe : public TComponent {
  public:
    TProbe(TComponent* owner, std::string name, std::vector<std::string>& log)
        : TComponent(owner), log_(log) {
        SetName(std::move(name));
    }
    ~TProbe() override { log_.push_back("free " + Name()); }
    using TComponent::Notification;

  protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == opRemove)
            log_.push_back(Name() + " hears " + component->Name());
    }
    void Loaded() override {
        TComponent::Loaded();
        std::string others;
        if (Owner())
            for (TComponent* sibling : Owner()->Components())
                if (sibling != this && sibling->IsLoading())
                    others += " " + sibling->Name();
        log_.push_back("loaded " + Name() + (others.empty() ? "" : " while" + others));
    }

  private:
    std::vector<std::string>& log_;
};

using TLog = std::vector<std::string>;
} // namespace

// ---- components

TEST(Components, AnOwnerFreesWhatItOwnsLastCreatedFirst) {
    TLog log;
    auto* root = new TProbe(nullptr, "root", log);
    new TProbe(root, "a", log);
    auto* b = new TProbe(root, "b", log);
    new TProbe(root, "c", log);
    // Freeing one directly takes it out of its owner, which hears of it.
    TComponent::Free(b);
    EXPECT_EQ(root->ComponentCount(), 2);
    EXPECT_EQ(log, (TLog{"free b", "a hears b", "c hears b", "root hears b"}));
    log.clear();
    TComponent::Free(root);
    EXPECT_EQ(log, (TLog{"free root", "free c", "free a"}));
}

TEST(Components, FreeNoticesReachTheOtherSideOnce) {
    TLog log;
    auto* x = new TProbe(nullptr, "x", log);
    auto* y = new TProbe(nullptr, "y", log);
    auto* z = new TProbe(nullptr, "z", log);
    x->FreeNotification(y);
    x->FreeNotification(y);
    z->FreeNotification(x);
    TComponent::Free(y);
    EXPECT_EQ(log, (TLog{"free y", "x hears y"}));
    log.clear();
    TComponent::Free(x);
    EXPECT_EQ(log, (TLog{"free x", "z hears x"}));
    log.clear();
    TComponent::Free(z); // nobody is left to hear of it, and nothing dangles
    EXPECT_EQ(log, (TLog{"free z"}));
}

TEST(Components, NoticesBetweenComponentsOfOneOwnerWhileItGoes) {
    // c was made last, so it goes first; a asked to hear of it.
    TLog log;
    auto* root = new TProbe(nullptr, "root", log);
    auto* a = new TProbe(root, "a", log);
    auto* c = new TProbe(root, "c", log);
    c->FreeNotification(a);
    TComponent::Free(root);
    EXPECT_EQ(log, (TLog{"free root", "free c", "a hears c", "free a"}));
}

TEST(Components, ChildControlsGoWithTheirParentWhoeverOwnsThem) {
    // The button is owned by the form but sits on the panel made after it: the panel frees it,
    // and the form must not free it a second time.
    TestApplication();
    auto* form = new TForm(nullptr);
    auto* button = new TButton(form);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    button->SetParent(panel);
    form->HandleNeeded();
    HWND buttonWindow = button->Handle();
    TComponent::Free(form);
    EXPECT_FALSE(IsWindow(buttonWindow));
}

TEST(Components, AMenuFreesTheItemsItOwnsWithoutBeingCalledBackHalfGone) {
    auto* menu = new TPopupMenu(nullptr);
    auto* item = new TMenuItem(menu);
    item->SetCaption("Open");
    menu->Items().Add(item);
    auto* nested = new TMenuItem(menu);
    nested->SetCaption("Inside");
    item->Add(nested);
    auto* foreign = new TMenuItem(nullptr);
    menu->Items().Add(foreign);
    ASSERT_NE(menu->Handle(), nullptr);
    const WORD owned = item->Command(), inside = nested->Command(), unowned = foreign->Command();
    TComponent::Free(menu);
    // Owned or not, every item went with the menu.
    EXPECT_EQ(TMenuItem::FindByCommand(owned), nullptr);
    EXPECT_EQ(TMenuItem::FindByCommand(inside), nullptr);
    EXPECT_EQ(TMenuItem::FindByCommand(unowned), nullptr);
}

TEST(Components, LoadedRunsInCreationOrderAfterTheLayoutIsBuilt) {
    TLog log;
    auto* root = new TProbe(nullptr, "root", log);
    root->BeginLoading();
    auto* a = new TProbe(root, "a", log);
    new TProbe(root, "b", log);
    EXPECT_TRUE(a->IsLoading());
    EXPECT_TRUE(log.empty());
    root->EndLoading();
    EXPECT_EQ(log, (TLog{"loaded a while b", "loaded b", "loaded root"}));
    EXPECT_FALSE(a->IsLoading());
    EXPECT_FALSE(root->IsLoading());
    // Made after the layout: not loading, no Loaded.
    log.clear();
    auto* late = new TProbe(root, "late", log);
    EXPECT_FALSE(late->IsLoading());
    TComponent::Free(root);
}

// ---- windows and messages

class WindowTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        form_.reset(new TForm(&TestApplication()));
        form_->SetBounds(100, 100, 320, 240);
    }
    void TearDown() override {
        form_.reset();
        TUiTest::TearDown();
    }
    template <class T> T* Add(TWinControl* parent = nullptr) {
        auto* control = new T(form_.get());
        control->SetParent(parent ? parent : form_.get());
        return control;
    }

    TOwnedComponent<TForm> form_;
};

namespace {
struct THook {
    TWndMethod Saved;
    std::vector<UINT> Seen;
    TControl* Control = nullptr;
    bool RestoreInside = false;
    void Handle(TMessage& message) {
        Seen.push_back(message.Msg);
        if (message.Msg == WM_SETTEXT) // swallowed: the window never sees it
            return;
        TWndMethod saved = Saved;
        if (RestoreInside && message.Msg == WM_USER + 2)
            Control->SetWindowProc(Saved);
        saved(message);
    }
    bool Saw(UINT msg) const { return std::find(Seen.begin(), Seen.end(), msg) != Seen.end(); }
};
} // namespace

TEST_F(WindowTest, AReplacedWindowProcSeesEveryMessageUntilRestored) {
    auto* panel = Add<TPanel>();
    HWND window = panel->Handle();
    THook hook;
    hook.Saved = panel->WindowProc();
    hook.Control = panel;
    EXPECT_TRUE(hook.Saved == panel->DefaultWindowProc());
    panel->SetWindowProc(Bind<&THook::Handle>(&hook));

    SendMessageA(window, WM_USER + 1, 0, 0); // from the system
    panel->SetColor(clRed);                  // the toolkit's own notice
    SetWindowTextA(window, "swallowed");
    EXPECT_TRUE(hook.Saw(WM_USER + 1));
    EXPECT_TRUE(hook.Saw(CM_COLORCHANGED));
    char text[32] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "");

    // A hook may put the old handler back while it handles a message.
    hook.RestoreInside = true;
    SendMessageA(window, WM_USER + 2, 0, 0);
    EXPECT_TRUE(panel->WindowProc() == panel->DefaultWindowProc());
    hook.Seen.clear();
    SendMessageA(window, WM_USER + 3, 0, 0);
    SetWindowTextA(window, "reaches the window");
    EXPECT_TRUE(hook.Seen.empty());
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "reaches the window");
}

namespace {
// What the loop has done by the time it first finds nothing to do.
struct TIdleWatch {
    HWND Window = nullptr;
    THook* Hook = nullptr;
    int Calls = 0;
    bool Handled = false, Painted = false;
    void OnIdle(TObject*) {
        if (++Calls == 1) {
            Handled = Hook->Saw(WM_USER + 4);
            RECT update{};
            Painted = !GetUpdateRect(Window, &update, FALSE);
        }
        // The loop waits after telling: something must wake it.
        PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    }
};
} // namespace

TEST_F(WindowTest, TheLoopIsIdleOnlyWhenEverythingPostedIsHandledAndPainted) {
    form_->Show();
    auto* panel = Add<TPanel>();
    HWND window = panel->Handle();
    THook hook;
    hook.Saved = panel->WindowProc();
    panel->SetWindowProc(Bind<&THook::Handle>(&hook));
    TIdleWatch watch{window, &hook};
    TestApplication().OnIdle = Bind<&TIdleWatch::OnIdle>(&watch);

    PostMessageA(window, WM_USER + 4, 0, 0);
    InvalidateRect(window, nullptr, TRUE);
    for (int i = 0; i < 1000 && watch.Calls == 0; ++i)
        TestApplication().HandleMessage();
    TestApplication().OnIdle = nullptr;
    panel->SetWindowProc(hook.Saved);

    ASSERT_EQ(watch.Calls, 1);
    EXPECT_TRUE(watch.Handled);
    EXPECT_TRUE(watch.Painted);
    EXPECT_TRUE(hook.Saw(WM_PAINT));
}

TEST_F(WindowTest, TheControlIsFoundFromItsWindowThroughTheControlAtom) {
    auto* panel = Add<TPanel>();
    auto* button = Add<TButton>(panel);
    char expected[64];
    std::snprintf(
        expected, sizeof expected, "ControlOfs%.8llX%.8lX",
        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr))),
        static_cast<unsigned long>(GetCurrentThreadId()));
    ATOM atom = GlobalFindAtomA(expected);
    ASSERT_NE(atom, 0);
    EXPECT_EQ(atom, ControlAtom());
    EXPECT_EQ(GetPropA(button->Handle(), MAKEINTATOM(atom)), static_cast<TWinControl*>(button));
    EXPECT_EQ(FindControl(panel->Handle()), panel);
    EXPECT_EQ(FindControl(form_->Handle()), form_.get());
    EXPECT_EQ(FindControl(GetDesktopWindow()), nullptr);
    // Standard controls keep their own class name on their windows.
    char className[32] = {};
    GetClassNameA(button->Handle(), className, sizeof className);
    EXPECT_STREQ(className, "TButton");
    GetClassNameA(panel->Handle(), className, sizeof className);
    EXPECT_STREQ(className, "TPanel");

    // A window made anew carries the control again; the old one is gone.
    HWND old = button->Handle();
    button->RecreateWnd();
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(FindControl(old), nullptr);
    EXPECT_EQ(FindControl(button->Handle()), button);

    form_->Show();
    PumpPending();
    POINT centre = button->ClientToScreen(POINT{button->Width() / 2, button->Height() / 2});
    EXPECT_EQ(FindVCLWindow(centre), button);

    // A control that goes takes its window out of the lookup, also when the window went first.
    HWND buttonWindow = button->Handle();
    TComponent::Free(button);
    EXPECT_EQ(FindControl(buttonWindow), nullptr);
    auto* label = Add<TPanel>(panel);
    HWND labelWindow = label->Handle();
    DestroyWindow(labelWindow);
    EXPECT_EQ(FindControl(labelWindow), nullptr);
    EXPECT_EQ(FindControl(panel->Handle()), panel);
}

namespace {
// A creation hook as a skin engine installs one: it looks up the control of every window being
// made, and makes a window of its own inside the hook for the first one it sees.
struct TCreationWatch {
    static inline TCreationWatch* Current = nullptr;
    HHOOK Hook = nullptr;
    std::vector<std::pair<HWND, TWinControl*>> Seen;
    TPanel* Nested = nullptr;
    TWinControl* NestedParent = nullptr;
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
        TCreationWatch* self = Current;
        if (self && code == HCBT_CREATEWND) {
            auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
            HWND window = reinterpret_cast<HWND>(wParam);
            self->Seen.emplace_back(window, ControlFromCreation(window, create->lpcs));
            if (self->NestedParent && !self->Nested) {
                self->Nested = new TPanel(self->NestedParent);
                self->Nested->SetParent(self->NestedParent);
                self->Nested->HandleNeeded();
            }
        }
        return CallNextHookEx(self ? self->Hook : nullptr, code, wParam, lParam);
    }
    TCreationWatch() {
        Current = this;
        Hook = SetWindowsHookExA(WH_CBT, Proc, nullptr, GetCurrentThreadId());
    }
    ~TCreationWatch() {
        UnhookWindowsHookEx(Hook);
        Current = nullptr;
    }
    TWinControl* SeenFor(HWND window) const {
        for (const auto& [seen, control] : Seen)
            if (seen == window)
                return control;
        return nullptr;
    }
};
} // namespace

TEST_F(WindowTest, ACreationHookFindsTheControlAndNestedCreationsDoNotStealIt) {
    auto* host = Add<TPanel>();
    host->HandleNeeded();
    TOwnedComponent<TForm> other(new TForm(&TestApplication()));
    other->SetBounds(50, 50, 200, 150);
    {
        TCreationWatch watch;
        watch.NestedParent = host; // a panel made inside the hook, while the form is being made
        other->HandleNeeded();
        ASSERT_NE(watch.Nested, nullptr);
        EXPECT_EQ(watch.SeenFor(other->Handle()), other.get());
        EXPECT_EQ(watch.SeenFor(watch.Nested->Handle()), watch.Nested);
    }
    EXPECT_EQ(FindControl(other->Handle()), other.get());
    EXPECT_EQ(FindControl(host->Controls(0)->IsWindowed()
                              ? static_cast<TWinControl*>(host->Controls(0))->Handle()
                              : nullptr),
              host->Controls(0));
    // Foreign windows carry no control, whatever their creation record holds.
    TCreationWatch watch;
    HWND foreign = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), other.get());
    EXPECT_EQ(watch.SeenFor(foreign), nullptr);
    DestroyWindow(foreign);
}

TEST_F(WindowTest, ChildrenHaveIdsOfTheirOwnAndOwnerDrawingFindsTheWindow) {
    std::vector<TWinControl*> children;
    for (int i = 0; i < 6; ++i)
        children.push_back(i % 2 ? static_cast<TWinControl*>(Add<TButton>()) : Add<TPanel>());
    std::vector<LONG_PTR> ids;
    for (TWinControl* child : children) {
        LONG_PTR id = GetWindowLongPtrA(child->Handle(), GWLP_ID);
        EXPECT_GE(id, 0x100);
        EXPECT_EQ(GetDlgItem(form_->Handle(), static_cast<int>(id)), child->Handle());
        ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());

    // A drawing request reaches the child its structure names, even when the id says otherwise.
    struct TDrawWatch {
        TWndMethod Saved;
        int Drawn = 0;
        void Handle(TMessage& message) {
            if (message.Msg == CN_BASE + WM_DRAWITEM) {
                ++Drawn;
                message.Result = TRUE;
                return;
            }
            Saved(message);
        }
    };
    TDrawWatch first, second;
    first.Saved = children[1]->WindowProc();
    second.Saved = children[3]->WindowProc();
    children[1]->SetWindowProc(Bind<&TDrawWatch::Handle>(&first));
    children[3]->SetWindowProc(Bind<&TDrawWatch::Handle>(&second));
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_BUTTON;
    draw.CtlID = static_cast<UINT>(GetWindowLongPtrA(children[1]->Handle(), GWLP_ID));
    draw.hwndItem = children[3]->Handle();
    SendMessageA(form_->Handle(), WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(first.Drawn, 0);
    EXPECT_EQ(second.Drawn, 1);
    children[1]->SetWindowProc(first.Saved);
    children[3]->SetWindowProc(second.Saved);
}

namespace {
bool SkinLikeInsets(TCustomForm&, const TCreateParams& params, RECT& insets) {
    if (!(params.Style & WS_CAPTION))
        return false;
    insets = RECT{3, 20, 5, 7};
    return true;
}
} // namespace

TEST_F(WindowTest, ClientSizeBeforeTheWindowExistsAsksWhoeverDrawsTheFrame) {
    TOwnedComponent<TForm> other(new TForm(&TestApplication()));
    other->SetBounds(10, 10, 300, 200);
    SetFrameInsetsQuery(SkinLikeInsets);
    RECT client = other->ClientRect();
    other->SetClientSize(100, 50);
    const int width = other->Width(), height = other->Height();
    SetFrameInsetsQuery(nullptr);
    EXPECT_EQ(client.right, 300 - 3 - 5);
    EXPECT_EQ(client.bottom, 200 - 20 - 7);
    EXPECT_EQ(width, 100 + 3 + 5);
    EXPECT_EQ(height, 50 + 20 + 7);
    // Without one, the system's frame for the style.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    other->SetBounds(10, 10, 300, 200);
    EXPECT_EQ(other->ClientRect().right, 300 - (frame.right - frame.left));
}

TEST_F(WindowTest, PublishedPropertiesAreReadAndWrittenByName) {
    auto* panel = Add<TPanel>();
    auto* box = Add<TCheckBox>();
    EXPECT_TRUE(panel->SetPropText("caption", "Hello"));
    EXPECT_EQ(panel->Caption(), "Hello");
    EXPECT_EQ(panel->PropText("Caption"), "Hello");
    char text[32] = {};
    GetWindowTextA(panel->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Hello");

    // Colours travel as text both ways, system colours too.
    std::string face = panel->PropText("Color");
    EXPECT_TRUE(panel->SetPropText("Color", std::to_string(clRed)));
    EXPECT_EQ(panel->Color(), clRed);
    EXPECT_TRUE(panel->SetPropText("Color", face));
    EXPECT_EQ(panel->Color(), clBtnFace);

    // The font is an object: changes through it reach the control.
    auto* font = dynamic_cast<TFont*>(panel->GetObjectProp("Font"));
    ASSERT_EQ(font, &panel->Font());
    font->SetSize(14);
    EXPECT_EQ(panel->Font().Size(), 14);
    EXPECT_FALSE(panel->ParentFont());
    EXPECT_FALSE(panel->SetPropText("Font", "Arial"));

    EXPECT_EQ(panel->PropText("ParentBackground"), "True");
    EXPECT_TRUE(panel->SetPropText("ParentBackground", "False"));
    EXPECT_FALSE(panel->ParentBackground());
    EXPECT_TRUE(box->HasProperty("ParentBackground"));

    EXPECT_TRUE(panel->SetPropText("Tag", "99"));
    EXPECT_EQ(panel->Tag(), 99);
    panel->SetPropText("Tag", "nine"); // not a number: unchanged
    EXPECT_EQ(panel->PropText("Tag"), "99");

    EXPECT_TRUE(panel->SetPropText("Align", "alClient"));
    EXPECT_EQ(panel->Align(), alClient);
    EXPECT_EQ(panel->PropText("Align"), "alClient");
    EXPECT_TRUE(form_->SetPropText("BorderStyle", "bsDialog"));
    EXPECT_EQ(form_->BorderStyle(), bsDialog);

    EXPECT_FALSE(panel->HasProperty("NoSuchThing"));
    EXPECT_FALSE(panel->SetPropText("NoSuchThing", "1"));
    EXPECT_EQ(panel->PropText("NoSuchThing"), "");
}

TEST_F(WindowTest, AlignedChildrenShareTheClientAreaAndHonourConstraints) {
    form_->SetClientSize(300, 200);
    auto place = [&](TAlign align, int size) {
        auto* panel = Add<TPanel>();
        panel->SetBounds(0, 0, size, size);
        panel->SetAlign(align);
        return panel;
    };
    TPanel* top = place(alTop, 20);
    TPanel* bottom = place(alBottom, 30);
    TPanel* left = place(alLeft, 40);
    TPanel* right = place(alRight, 50);
    TPanel* client = place(alClient, 10);
    form_->Show();
    PumpPending();
    auto bounds = [](TControl* c) {
        RECT r = c->BoundsRect();
        return std::vector<int>{r.left, r.top, r.right, r.bottom};
    };
    EXPECT_EQ(bounds(top), (std::vector<int>{0, 0, 300, 20}));
    EXPECT_EQ(bounds(bottom), (std::vector<int>{0, 170, 300, 200}));
    EXPECT_EQ(bounds(left), (std::vector<int>{0, 20, 40, 170}));
    EXPECT_EQ(bounds(right), (std::vector<int>{250, 20, 300, 170}));
    EXPECT_EQ(bounds(client), (std::vector<int>{40, 20, 250, 170}));
    // The windows are where the controls say.
    RECT r{};
    GetWindowRect(client->Handle(), &r);
    MapWindowPoints(HWND_DESKTOP, form_->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.bottom, 170);

    // A hidden child gives its room to the others.
    top->Hide();
    EXPECT_EQ(bounds(client), (std::vector<int>{40, 0, 250, 170}));

    // The user resizing the window: everything follows, and a minimum stays a minimum.
    client->Constraints().SetMinHeight(150);
    form_->Constraints().SetMinWidth(210);
    SetWindowPos(form_->Handle(), nullptr, 0, 0, 100, 120, SWP_NOMOVE | SWP_NOZORDER);
    PumpPending();
    EXPECT_EQ(form_->Width(), 210);
    GetWindowRect(form_->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 210);
    EXPECT_EQ(client->Height(), 150);

    // A minimum set on a control that is smaller already takes effect at once.
    left->Constraints().SetMinWidth(60);
    EXPECT_EQ(left->Width(), 60);
}

// ---- files

class FileTest : public ::testing::Test {
  protected:
    TTempFolder folder_;
};

TEST_F(FileTest, StringListsLoadEveryLineEndAndSaveCrLf) {
    TStringList list;
    folder_.Write("mixed.dat", std::string("a\rb\nc\r\n\r\nd\xE9\x01", 13));
    list.LoadFromFile(folder_.Path("mixed.dat"));
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"a", "b", "c", "", "d\xE9\x01"}));
    list.SaveToFile(folder_.Path("out.dat"));
    EXPECT_EQ(folder_.Read("out.dat"), "a\r\nb\r\nc\r\n\r\nd\xE9\x01\r\n");

    folder_.Write("zero.dat", std::string("first\r\nsec\0ond\r\nthird\r\n", 24));
    list.LoadFromFile(folder_.Path("zero.dat"));
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"first", "sec"}));

    folder_.Write("empty.dat", "");
    list.LoadFromFile(folder_.Path("empty.dat"));
    EXPECT_TRUE(list.Empty());
    // A shorter list replaces a longer file whole; an empty one leaves an empty file.
    list.SaveToFile(folder_.Path("out.dat"));
    EXPECT_TRUE(folder_.Exists("out.dat"));
    EXPECT_EQ(folder_.Read("out.dat"), "");
}

TEST_F(FileTest, AFailedSaveLeavesTheOldFileAndNoLitter) {
    TStringList list;
    list.Add("new");
    folder_.Write("list.dat", "old\r\n");
    std::string prefix = "Cannot create file \"" + folder_.Path("list.dat") + "\". ";

    HANDLE lock =
        CreateFileA(folder_.Path("list.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    try {
        list.SaveToFile(folder_.Path("list.dat"));
        ADD_FAILURE() << "saved over a locked file";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()).rfind(prefix, 0), 0u) << error.what();
    }
    CloseHandle(lock);
    EXPECT_EQ(folder_.Read("list.dat"), "old\r\n");

    folder_.SetReadOnly("list.dat", true);
    EXPECT_THROW(list.SaveToFile(folder_.Path("list.dat")), EFCreateError);
    EXPECT_EQ(folder_.Read("list.dat"), "old\r\n");
    EXPECT_EQ(folder_.Files(), (std::vector<std::string>{"list.dat"}));

    EXPECT_THROW(list.SaveToFile(folder_.Path("missing\\list.dat")), EFCreateError);
    try {
        list.LoadFromFile(folder_.Path("nothing.dat"));
        ADD_FAILURE() << "loaded a missing file";
    } catch (const EFOpenError& error) {
        std::string expected = "Cannot open file \"" + folder_.Path("nothing.dat") + "\". ";
        EXPECT_EQ(std::string(error.what()).rfind(expected, 0), 0u) << error.what();
    }
}

TEST_F(FileTest, ProfileFilesReadDecimalAndHexAndFallBackOnGarbage) {
    folder_.Write("s.ini",
                  "[Settings]\r\nHex=0x1F\r\nUpper=0X1f\r\nNeg=-12\r\nSpaced=  42  \r\nGarbage=12abc\r\n"
                  "Empty=\r\nHuge=99999999999\r\nQuoted=\"7\"\r\nAllBits=0xFFFFFFFF\r\nLong=0x100000000\r\n");
    TIniFile ini(folder_.Path("s.ini"));
    EXPECT_EQ(ini.ReadInteger("Settings", "Hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("Settings", "Upper", 0), 31);
    EXPECT_EQ(ini.ReadInteger("Settings", "Neg", 0), -12);
    EXPECT_EQ(ini.ReadInteger("Settings", "Spaced", 0), 42);
    EXPECT_EQ(ini.ReadInteger("Settings", "Garbage", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Settings", "Empty", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Settings", "Huge", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Settings", "Quoted", 5), 7);
    EXPECT_EQ(ini.ReadInteger("Settings", "AllBits", 5), -1);
    EXPECT_EQ(ini.ReadInteger("Settings", "Long", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Settings", "Missing", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Other", "Hex", 5), 5);
    EXPECT_TRUE(ini.SectionExists("Settings"));
    EXPECT_FALSE(ini.SectionExists("Other"));

    TIniFile fresh(folder_.Path("new.ini"));
    fresh.WriteInteger("Settings", "Left", -7);
    fresh.WriteString("Settings", "Move", "1");
    fresh.UpdateFile();
    EXPECT_EQ(folder_.Read("new.ini"), "[Settings]\r\nLeft=-7\r\nMove=1\r\n");

    folder_.SetReadOnly("new.ini", true);
    try {
        fresh.WriteInteger("Settings", "Left", 1);
        ADD_FAILURE() << "wrote a read-only file";
    } catch (const EIniFileException& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + folder_.Path("new.ini"));
    }
    EXPECT_EQ(folder_.Read("new.ini"), "[Settings]\r\nLeft=-7\r\nMove=1\r\n");
}

// ---- bitmaps

namespace {
TBmpImage Image(int width, int height, std::vector<uint32_t> pixels) {
    TBmpImage image;
    image.Width = width;
    image.Height = height;
    image.Pixels = std::move(pixels);
    return image;
}

std::string Bytes(const std::vector<uint8_t>& data) {
    return std::string(data.begin(), data.end());
}

// A 2 x 2 16-bit 5-6-5 file, rows bottom-up: red, green / blue, white.
std::string Bmp565() {
    std::vector<uint8_t> d = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 66, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0,
                              0, 1, 0, 16, 0, 3, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                              0, 0, 0, 0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0,
                              // bottom row: blue, white
                              0x1F, 0x00, 0xFF, 0xFF,
                              // top row: red, green
                              0x00, 0xF8, 0xE0, 0x07};
    d[2] = static_cast<uint8_t>(d.size());
    return Bytes(d);
}
} // namespace

TEST_F(FileTest, BitmapsLoadTheCommonFormatsWithTheirColours) {
    // 0x00RRGGBB pixels in, TColor (0x00BBGGRR) out.
    TBmpImage rgb = Image(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
    TBmpImage paletted = rgb;
    paletted.Palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    TBmpImage alpha = Image(2, 2, {0x80FF0000, 0x8000FF00, 0x800000FF, 0x80FFFFFF});
    alpha.HasAlpha = true;
    folder_.Write("24.bmp", Bytes(EncodeBmp24(rgb)));
    folder_.Write("32.bmp", Bytes(EncodeBmp32(alpha)));
    folder_.Write("8.bmp", Bytes(EncodeBmpPaletted(paletted, 8)));
    folder_.Write("4.bmp", Bytes(EncodeBmpPaletted(paletted, 4)));
    folder_.Write("565.bmp", Bmp565());
    for (const char* name : {"24.bmp", "32.bmp", "8.bmp", "4.bmp", "565.bmp"}) {
        SCOPED_TRACE(name);
        TBitmap bitmap;
        bitmap.LoadFromFile(folder_.Path(name));
        ASSERT_EQ(bitmap.Width(), 2);
        ASSERT_EQ(bitmap.Height(), 2);
        EXPECT_EQ(bitmap.PixelColor(0, 0), clRed);
        EXPECT_EQ(bitmap.PixelColor(1, 0), clLime);
        EXPECT_EQ(bitmap.PixelColor(0, 1), clBlue);
        EXPECT_EQ(bitmap.PixelColor(1, 1), clWhite);
    }
    TBitmap withAlpha;
    withAlpha.LoadFromFile(folder_.Path("32.bmp"));
    EXPECT_EQ(withAlpha.PixelFormat(), pf32bit);

    // The canvas draws on the pixels, before and after a new picture comes in; a file that is
    // not a picture leaves the old one.
    TBitmap bitmap;
    bitmap.LoadFromFile(folder_.Path("24.bmp"));
    bitmap.Canvas().Brush().SetColor(clYellow);
    bitmap.Canvas().FillRect(RECT{0, 0, 1, 1});
    EXPECT_EQ(bitmap.PixelColor(0, 0), clYellow);
    folder_.Write("bad.bmp", "BM not a bitmap");
    EXPECT_THROW(bitmap.LoadFromFile(folder_.Path("bad.bmp")), EReadError);
    EXPECT_EQ(bitmap.PixelColor(0, 0), clYellow);
    bitmap.LoadFromFile(folder_.Path("565.bmp"));
    bitmap.Canvas().FillRect(RECT{1, 1, 2, 2});
    EXPECT_EQ(bitmap.PixelColor(1, 1), clYellow);
    EXPECT_EQ(bitmap.PixelColor(0, 0), clRed);
    bitmap.SaveToFile(folder_.Path("copy.bmp"));
    TBitmap copy;
    copy.LoadFromFile(folder_.Path("copy.bmp"));
    EXPECT_EQ(copy.PixelColor(1, 1), clYellow);
    EXPECT_EQ(copy.PixelColor(1, 0), clLime);
}

// ---- dialogs

class DialogTest : public TUiTest {};

TEST_F(DialogTest, AMessageDialogWithoutButtonsClosesByItsCloseBox) {
    TDialogAnswerer answer(TAnswer::Close("TMessageForm", "Information"));
    EXPECT_EQ(MessageDlg("Nothing to press here.", mtInformation, {}), mrCancel);
    const TDialogReport& report = answer.Wait();
    EXPECT_TRUE(report.Answered);
    EXPECT_TRUE(report.Buttons.empty());
    EXPECT_EQ(report.Icons, 1);
    EXPECT_EQ(report.Text, "Nothing to press here.");
}

TEST_F(DialogTest, MessagesAndQuestionsAnswerWithTheButtonPressed) {
    {
        TDialogAnswerer answer(TAnswer::Press("TMessageForm", "OK"));
        ShowMessage("Plain & simple");
        const TDialogReport& report = answer.Wait();
        EXPECT_EQ(report.Caption, "Perchpoints");
        EXPECT_EQ(report.Text, "Plain & simple");
        EXPECT_EQ(report.Buttons, (std::vector<std::string>{"OK"}));
        EXPECT_EQ(report.Icons, 0);
    }
    {
        TDialogAnswerer answer(TAnswer::Press("TMessageForm", "No", "Confirmation"));
        EXPECT_EQ(MessageDlg("Sure?", mtConfirmation, {mbYes, mbNo}), mrNo);
        EXPECT_EQ(answer.Wait().Buttons, (std::vector<std::string>{"&Yes", "&No"}));
    }
    {
        TDialogAnswerer answer(TAnswer::Press("TForm", "OK", "Name").Typing("typed & kept"));
        std::string value = "old";
        EXPECT_TRUE(InputQuery("Name", "Your name:", value));
        EXPECT_EQ(value, "typed & kept");
        EXPECT_EQ(answer.Wait().Text, "Your name:");
    }
    {
        TDialogAnswerer answer(TAnswer::Press("TForm", "Cancel", "Name").Typing("dropped"));
        std::string value = "old";
        EXPECT_FALSE(InputQuery("Name", "Your name:", value));
        EXPECT_EQ(value, "old");
        answer.Wait();
    }
}

namespace {
struct TFailingClick {
    int Clicks = 0;
    void Click(TObject*) {
        ++Clicks;
        throw Exception("The disk is on fire");
    }
};
} // namespace

TEST_F(DialogTest, AnErrorInAClickIsShownAndTheProgramGoesOn) {
    TOwnedComponent<TForm> form(new TForm(&TestApplication()));
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    TFailingClick handler;
    button->OnClick = Bind<&TFailingClick::Click>(&handler);
    form->Show();
    PumpPending();
    for (int round = 0; round < 2; ++round) {
        TDialogAnswerer answer(TAnswer::PressId("#32770", IDOK, "Perchpoints"));
        PostLeftClick(button->Handle(), 5, 5);
        PumpUntil([&] { return answer.Done(); });
        const TDialogReport& box = answer.Wait();
        EXPECT_TRUE(box.Answered);
        EXPECT_EQ(box.Text, "The disk is on fire");
        EXPECT_EQ(box.Icons, 1);
    }
    EXPECT_EQ(handler.Clicks, 2);
}

namespace {
// A control whose painting fails once, and a click handler that throws something that is not
// an exception class.
class TBrokenPaint : public TCustomControl {
  public:
    using TCustomControl::TCustomControl;
    bool Fail = true;

  protected:
    void Paint() override {
        if (!Fail)
            return;
        Fail = false;
        throw Exception("No paint today");
    }
};

struct TOddClick {
    void Click(TObject*) { throw 42; }
};
} // namespace

TEST_F(DialogTest, AnErrorWhilePaintingIsShownAfterThePaintAndOddThrowsAreCaught) {
    TOwnedComponent<TForm> form(new TForm(&TestApplication()));
    form->SetBounds(100, 100, 200, 150);
    auto* broken = new TBrokenPaint(form.get());
    broken->SetBounds(0, 0, 100, 100);
    broken->SetParent(form.get());
    {
        TDialogAnswerer answer(TAnswer::PressId("#32770", IDOK, "Perchpoints"));
        form->Show();
        // The paint itself returns: no dialog is open while it runs.
        UpdateWindow(broken->Handle());
        EXPECT_FALSE(broken->Fail);
        EXPECT_FALSE(answer.Done());
        ASSERT_TRUE(PumpUntil([&] { return answer.Done(); }));
        EXPECT_EQ(answer.Wait().Text, "No paint today");
    }
    auto* button = new TButton(form.get());
    button->SetBounds(110, 10, 60, 24);
    button->SetParent(form.get());
    TOddClick odd;
    button->OnClick = Bind<&TOddClick::Click>(&odd);
    PumpPending();
    TDialogAnswerer answer(TAnswer::PressId("#32770", IDOK, "Perchpoints"));
    PostLeftClick(button->Handle(), 5, 5);
    ASSERT_TRUE(PumpUntil([&] { return answer.Done(); }));
    EXPECT_EQ(answer.Wait().Text, "Unknown error");
}

// What a swallowing catch traces reaches the debugger's output: OutputDebugStringA raises
// DBG_PRINTEXCEPTION_C, which a vectored handler sees before any debugger would.
namespace {
std::vector<std::string>* debuggerOutput = nullptr;
LONG CALLBACK CaptureDebuggerOutput(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && debuggerOutput && record->NumberParameters >= 2)
        debuggerOutput->push_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
    return EXCEPTION_CONTINUE_SEARCH;
}
} // namespace

TEST(Exceptions, ASwallowedErrorIsTracedWithWhereAndWhat) {
    std::vector<std::string> output;
    debuggerOutput = &output;
    PVOID handler = AddVectoredExceptionHandler(1, CaptureDebuggerOutput);
    ASSERT_NE(handler, nullptr);
    try {
        throw Exception("'x' is not a valid integer value");
    } catch (...) {
        TraceSwallowed("TPanel::Paint");
    }
    try {
        throw 42;
    } catch (...) {
        TraceSwallowed("TForm::WndProc");
    }
    RemoveVectoredExceptionHandler(handler);
    debuggerOutput = nullptr;
    ASSERT_EQ(output.size(), 2u);
    EXPECT_EQ(output[0], "Perchpoints: TPanel::Paint: 'x' is not a valid integer value\n");
    EXPECT_EQ(output[1], "Perchpoints: TForm::WndProc: an exception of unknown type\n");
}
