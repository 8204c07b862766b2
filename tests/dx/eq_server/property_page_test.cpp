// The property page in real windows under Wine, as a property frame drives it: the editor
// inside the page, idled ten times a second on the window's thread, clicked into the filter's
// parameters; two pages at once; the limit of open editors; and closing editors hundreds of
// times while idle ticks arrive, which must never idle an editor at the wrong time or hang.
#include "editor/editor_layout.h"
#include "engine/level_match.h"
#include "engine/params.h"
#include "page_frame.h"
#include "test_support/host_window.h"
#include "test_support/win32/test_probe.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace miral::dx::test {
namespace {

class PropertyPage : public RegisteredServerTest {
protected:
    void SetUp() override {
        frame = platform::HostWindow::open(840, 290);
        if (!frame) {
            ASSERT_EQ(std::getenv("DISPLAY"), nullptr) << "no window opens on the display";
            GTEST_SKIP() << "no display to open windows on";
        }
    }

    HWND frameWindow() const { return static_cast<HWND>(frame->handle()); }

    /// The page's editor closed once, and no idle reaches it afterwards.
    static void expectClosedForGood(const FilterWithPage& eq) {
        EXPECT_EQ(eq.probe->closes(), 1);
        const int closed = eq.probe->idles();
        pumpMessages(300);
        EXPECT_EQ(eq.probe->idles(), closed) << "idled after closing";
    }

    std::unique_ptr<platform::DynamicLibrary> server = loadServer();
    std::unique_ptr<platform::HostWindow> frame;
};

SIZE clientSize(HWND window) {
    RECT area{};
    GetClientRect(window, &area);
    return {area.right - area.left, area.bottom - area.top};
}

TEST_F(PropertyPage, ShowsTheEditorInsideThePageAndIdlesItTenTimesASecond) {
    FilterWithPage eq = FilterWithPage::create();
    ASSERT_TRUE(eq.page);
    ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    EXPECT_EQ(eq.probe->opens(), 1);
    EXPECT_EQ(eq.probe->knobMode(), 2) << "knobs drag linearly";
    const HWND editor = FilterWithPage::editorWindow(frameWindow());
    ASSERT_NE(editor, nullptr);
    // The later toolkit's class name: the server's module handle without zero padding.
    char className[32];
    std::snprintf(
        className, sizeof(className), "Plugin%x",
        static_cast<unsigned>(reinterpret_cast<uintptr_t>(GetModuleHandleA("TK_MIRAL_DX.dll"))));
    EXPECT_EQ(platform::win32::windowClassName(editor), className);
    EXPECT_EQ(clientSize(editor).cx, 420);
    EXPECT_EQ(clientSize(editor).cy, 290);

    const int before = eq.probe->idles();
    pumpMessages(1000);
    const int perSecond = eq.probe->idles() - before;
    std::printf("idle calls in one second: %d\n", perSecond);
    EXPECT_GE(perSecond, 7);
    EXPECT_LE(perSecond, 12);
    EXPECT_EQ(eq.probe->misplacedIdles(), 0);

    EXPECT_EQ(eq.page->Deactivate(), S_OK);
    EXPECT_EQ(FilterWithPage::pageWindow(frameWindow()), nullptr) << "no window left";
    expectClosedForGood(eq);
}

// The page is as large as the editor at its scale: the frame lays the page out by its size.
TEST_F(PropertyPage, ThePageAndItsEditorFollowTheEditorsScale) {
    FilterWithPage eq = FilterWithPage::create();
    ASSERT_TRUE(eq.page);
    constexpr int32_t kContentScaleIndex = 0x50726553;  // 'PreS'
    constexpr intptr_t kContentScaleValue = 0x41654373; // 'AeCs'
    ASSERT_EQ(eq.effect->dispatcher(eq.effect, effVendorSpecific, kContentScaleIndex,
                                    kContentScaleValue, nullptr, 2.0f),
              1);
    PROPPAGEINFO info{};
    ASSERT_EQ(eq.page->GetPageInfo(&info), S_OK);
    CoTaskMemFree(info.pszTitle);
    EXPECT_EQ(info.size.cx, 840);
    EXPECT_EQ(info.size.cy, 580);

    ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    const HWND editor = FilterWithPage::editorWindow(frameWindow());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(clientSize(editor).cx, 840);
    EXPECT_EQ(clientSize(editor).cy, 580);
    EXPECT_EQ(eq.page->Deactivate(), S_OK);
}

TEST_F(PropertyPage, ClickOnABandSwitchReachesTheFilterAndAStreamLoadDoesNoHarm) {
    FilterWithPage eq = FilterWithPage::create();
    ASSERT_TRUE(eq.page);
    ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    pumpMessages(300);
    ASSERT_EQ(eq.parameters->GetParameter(7), 1.0f) << "band 2 is on";
    const editor::CBox& band2 = editor::kSwitches[1].box;
    frame->click({band2.left + 30, band2.top + 10});
    pumpMessages(100);
    EXPECT_EQ(eq.parameters->GetParameter(7), 0.0f) << "the mirror follows the editor";

    // A loaded stream tells the advised page, which takes the notice and goes on.
    unsigned char record[124] = {124};
    std::memcpy(record + 4, &kIidEqParameters, sizeof(GUID));
    ComRef<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    ASSERT_EQ(stream->Write(record, sizeof(record), nullptr), S_OK);
    ASSERT_EQ(stream->Seek({}, STREAM_SEEK_SET, nullptr), S_OK);
    ComRef<IPersistStream> persist =
        queryInterface<IPersistStream>(eq.filter.get(), IID_IPersistStream);
    ASSERT_EQ(persist->Load(stream.get()), S_OK);
    const int before = eq.probe->idles();
    pumpMessages(300);
    EXPECT_NE(FilterWithPage::editorWindow(frameWindow()), nullptr);
    EXPECT_GT(eq.probe->idles(), before);
    EXPECT_EQ(eq.page->Deactivate(), S_OK);
    EXPECT_EQ(eq.probe->misplacedIdles(), 0);
}

// Alt-click on the page's Output Gain slider: the filter takes a boost's loudness back.
TEST_F(PropertyPage, AltClickOnTheOutputGainMatchesTheFiltersLevel) {
    FilterWithPage eq = FilterWithPage::create();
    ASSERT_TRUE(eq.page);
    constexpr long kGain3 = 8, kOutputGain = 25;
    ASSERT_EQ(eq.parameters->SetParameter(kGain3, 0.9f), S_OK);
    std::array<float, kNumParams> values{};
    ASSERT_EQ(eq.parameters->GetParameters(values.data()), S_OK);
    const float matched = outputGainValue(matchLevel(values, 44100.0));
    ASSERT_LT(matched, 0.45f);
    ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    pumpMessages(300);
    const toolkit::CBox& slider = editor::kOutputSlider.box;
    frame->setAlt(true);
    frame->click({slider.left + 6, slider.top + 12});
    frame->setAlt(false);
    pumpMessages(100);
    EXPECT_NEAR(eq.parameters->GetParameter(kOutputGain), matched, 1e-6f);
    EXPECT_EQ(eq.page->Deactivate(), S_OK);
}

// A knob's first press tracks the mouse inside the page's message handling: the hand that
// double-clicks and types is another thread, while this one runs the page's messages.
TEST_F(PropertyPage, AValueTypedIntoTheEditorReachesTheFilter) {
    FilterWithPage eq = FilterWithPage::create();
    ASSERT_TRUE(eq.page);
    ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    pumpMessages(300);
    constexpr int32_t kGain3 = 8;
    std::thread hand([this] {
        frame->doubleClick({183, 68});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        frame->type("-4.5\r"); // the editor's window took the keyboard
    });
    const DWORD start = GetTickCount();
    while (eq.parameters->GetParameter(kGain3) == 0.5f && GetTickCount() - start < 3000)
        pumpMessages(20);
    hand.join();
    pumpMessages(100);
    EXPECT_NEAR(eq.parameters->GetParameter(kGain3), (16.0f - 4.5f) / 32.0f, 1e-6f)
        << "-4.5 dB, from the middle of the range";
    EXPECT_EQ(eq.page->Deactivate(), S_OK);
}

TEST_F(PropertyPage, PagesOfTwoFiltersAreIdledTogether) {
    FilterWithPage first = FilterWithPage::create();
    FilterWithPage second = FilterWithPage::create();
    ASSERT_TRUE(first.page && second.page);
    ASSERT_EQ(first.activate(frameWindow()), S_OK);
    const RECT right{420, 0, 840, 290};
    ASSERT_EQ(second.page->Activate(frameWindow(), &right, TRUE), S_OK);
    pumpMessages(1000);
    std::printf("idle calls in one second: %d and %d\n", first.probe->idles(),
                second.probe->idles());
    EXPECT_GE(first.probe->idles(), 7);
    EXPECT_GE(second.probe->idles(), 7);
    EXPECT_EQ(first.page->Deactivate(), S_OK);
    EXPECT_EQ(second.page->Deactivate(), S_OK);
    EXPECT_EQ(first.probe->misplacedIdles() + second.probe->misplacedIdles(), 0);
}

TEST_F(PropertyPage, PageReleasedWhileActiveClosesItsEditorAndWindow) {
    FilterWithPage eq = FilterWithPage::create();
    ASSERT_TRUE(eq.page);
    ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    pumpMessages(150);
    eq.page.reset();
    EXPECT_EQ(FilterWithPage::pageWindow(frameWindow()), nullptr);
    expectClosedForGood(eq);
}

// A frame in another apartment may drop the last reference on a thread that does not own the
// page's window: the window and the editor in it go on the window's own thread, and the page
// lives until they have gone, so that messages reaching the window meanwhile still find it.
TEST_F(PropertyPage, PageReleasedOnAnotherThreadGoesOnItsWindowsThread) {
    FilterWithPage eq = FilterWithPage::create();
    ASSERT_TRUE(eq.page);
    ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    const HWND dialog = FilterWithPage::pageWindow(frameWindow());
    ASSERT_NE(dialog, nullptr);
    std::thread([page = std::move(eq.page)]() mutable { page.reset(); }).join();
    SendMessageW(dialog, WM_COMMAND, 0, 0);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages(200);
    EXPECT_FALSE(IsWindow(dialog)) << "the window outlived its page";
    EXPECT_EQ(eq.probe->misplacedCloses(), 0) << "the editor closed off its window's thread";
    expectClosedForGood(eq);
    EXPECT_EQ(eq.probe->misplacedIdles(), 0);
}

// Deactivated and released by a thread of another apartment while the window's thread runs its
// messages: the window and the editor go on the window's thread, and nothing is left to paint.
TEST_F(PropertyPage, PageDeactivatedOnAnotherThreadClosesOnItsWindowsThread) {
    FilterWithPage eq = FilterWithPage::create();
    ASSERT_TRUE(eq.page);
    ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    const HWND dialog = FilterWithPage::pageWindow(frameWindow());
    ASSERT_NE(dialog, nullptr);
    std::atomic<HRESULT> deactivated{E_FAIL};
    std::atomic<bool> done{false};
    std::thread other([&, page = std::move(eq.page)]() mutable {
        deactivated = page->Deactivate();
        page.reset();
        done = true;
    });
    for (int waited = 0; !done && waited < 250; ++waited)
        pumpMessages(20);
    other.join();
    EXPECT_EQ(deactivated, S_OK);
    EXPECT_FALSE(IsWindow(dialog)) << "the window outlived its deactivation";
    EXPECT_EQ(eq.probe->closes(), 1);
    EXPECT_EQ(eq.probe->misplacedCloses(), 0) << "the editor closed off its window's thread";
    RedrawWindow(frameWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages(100);
}

// A release posted to the page's window that the window never takes, because the frame
// deactivates the page first, is run as the window goes: the module can unload afterwards.
TEST_F(PropertyPage, ReleasePostedToAWindowThatGoesFirstIsNotLost) {
    const auto canUnloadNow = server->entryAs<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
    ASSERT_NE(canUnloadNow, nullptr);
    {
        FilterWithPage eq = FilterWithPage::create();
        ASSERT_TRUE(eq.page);
        ASSERT_EQ(eq.activate(frameWindow()), S_OK);
        std::thread([page = eq.page]() mutable { page.reset(); }).join();
        EXPECT_EQ(eq.page->Deactivate(), S_OK);
        eq.page.reset();
        eq.parameters.reset();
        eq.probe.reset();
        eq.filter.reset();
    }
    pumpMessages(100);
    EXPECT_EQ(canUnloadNow(), S_OK) << "the page or its module count leaked";
}

// A dialog the system cannot create is reported with the system's reason, and the page stays
// ready to be activated.
TEST_F(PropertyPage, ActivationUnderAWindowThatIsGoneReportsTheSystemsError) {
    FilterWithPage eq = FilterWithPage::create();
    ASSERT_TRUE(eq.page);
    const HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, frameWindow(),
                                      nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    const RECT area{0, 0, 420, 290};
    EXPECT_EQ(eq.page->Activate(gone, &area, TRUE),
              HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(eq.probe->opens(), 0);
    ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    EXPECT_EQ(eq.probe->opens(), 1);
    EXPECT_EQ(eq.page->Deactivate(), S_OK);
}

// A page disconnected while active closes the editor of the filter it leaves; a page connected
// while active opens the new filter's editor.
TEST_F(PropertyPage, ActivePageFollowsItsConnection) {
    FilterWithPage eq = FilterWithPage::create();
    FilterWithPage other = FilterWithPage::create();
    ASSERT_TRUE(eq.page && other.page);
    ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    ASSERT_EQ(eq.page->SetObjects(0, nullptr), S_OK);
    EXPECT_EQ(eq.probe->closes(), 1);
    EXPECT_EQ(FilterWithPage::editorWindow(frameWindow()), nullptr);
    IUnknown* objects[] = {other.filter.get()};
    ASSERT_EQ(eq.page->SetObjects(1, objects), S_OK);
    EXPECT_EQ(other.probe->opens(), 1);
    pumpMessages(300);
    EXPECT_GT(other.probe->idles(), 0);
    EXPECT_EQ(eq.page->Deactivate(), S_OK);
    EXPECT_EQ(other.probe->closes(), 1);
    EXPECT_EQ(eq.probe->misplacedIdles() + other.probe->misplacedIdles(), 0);
}

// A frame may activate a page before it gives it its objects: the page stands empty, and the
// editor opens when the filter arrives.
TEST_F(PropertyPage, PageActivatedBeforeItsObjectsOpensTheEditorWhenTheyArrive) {
    FilterWithPage eq = FilterWithPage::create();
    ASSERT_TRUE(eq.page);
    ComRef<IPropertyPage> page;
    ASSERT_EQ(CoCreateInstance(kClsidEqPropertyPage, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IPropertyPage, page.putVoid()),
              S_OK);
    const RECT area{0, 0, 420, 290};
    ASSERT_EQ(page->Activate(frameWindow(), &area, TRUE), S_OK);
    ASSERT_EQ(page->Show(SW_SHOW), S_OK);
    pumpMessages(150);
    EXPECT_NE(FilterWithPage::pageWindow(frameWindow()), nullptr);
    EXPECT_EQ(FilterWithPage::editorWindow(frameWindow()), nullptr);
    IUnknown* objects[] = {eq.filter.get()};
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    EXPECT_EQ(eq.probe->opens(), 1);
    EXPECT_NE(FilterWithPage::editorWindow(frameWindow()), nullptr);
    pumpMessages(300);
    EXPECT_GT(eq.probe->idles(), 0);
    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_EQ(eq.probe->closes(), 1);
    EXPECT_EQ(eq.probe->misplacedIdles(), 0);
}

/// Counts the paint messages of a window while it lives.
class PaintCounter {
public:
    explicit PaintCounter(HWND window)
        : window_(window), original_(reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                               window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)))) {
        counted_ = this;
    }
    ~PaintCounter() {
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        counted_ = nullptr;
    }
    PaintCounter(const PaintCounter&) = delete;
    PaintCounter& operator=(const PaintCounter&) = delete;

    int paints() const { return paints_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_PAINT)
            ++counted_->paints_;
        return CallWindowProcW(counted_->original_, window, message, wParam, lParam);
    }

    static inline PaintCounter* counted_ = nullptr;
    HWND window_;
    WNDPROC original_;
    int paints_ = 0;
};

// Painting the page repaints the editor inside it, once, and leaves nothing to paint: the page
// validates itself before it redraws its children, so its paint does not start itself again.
TEST_F(PropertyPage, PaintingThePageRepaintsTheEditorOnce) {
    FilterWithPage eq = FilterWithPage::create();
    ASSERT_TRUE(eq.page);
    ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    pumpMessages(150);
    const HWND dialog = FilterWithPage::pageWindow(frameWindow());
    const HWND editor = FilterWithPage::editorWindow(frameWindow());
    ASSERT_NE(editor, nullptr);
    {
        const PaintCounter editorPaints(editor);
        InvalidateRect(dialog, nullptr, FALSE); // the page alone, not its children
        UpdateWindow(dialog);
        EXPECT_EQ(editorPaints.paints(), 1);
        EXPECT_FALSE(GetUpdateRect(dialog, nullptr, FALSE));
        EXPECT_FALSE(GetUpdateRect(editor, nullptr, FALSE));
    }
    EXPECT_EQ(eq.page->Deactivate(), S_OK);
}

std::optional<std::string> dismissRefusal() {
    return platform::win32::dismissMessageBox("TOLMEK Soft MIRAL", 10000);
}

TEST_F(PropertyPage, HundredOpenEditorsRefuseAnotherPageUntilOneCloses) {
    std::vector<FilterWithPage> open(100);
    for (FilterWithPage& eq : open) {
        eq = FilterWithPage::create();
        ASSERT_TRUE(eq.page);
        ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    }
    pumpMessages(300); // every editor idled at least once
    std::optional<std::string> text;
    std::thread user([&] { text = dismissRefusal(); });
    ComRef<IPropertyPage> refused;
    EXPECT_EQ(CoCreateInstance(kClsidEqPropertyPage, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IPropertyPage, refused.putVoid()),
              E_OUTOFMEMORY);
    user.join();
    EXPECT_FALSE(refused);
    ASSERT_TRUE(text.has_value()) << "no message box appeared";
    EXPECT_EQ(*text, "This Effect Has Reached Its Maximum Assignments!");

    ASSERT_EQ(open.back().page->Deactivate(), S_OK);
    ComRef<IPropertyPage> accepted;
    EXPECT_EQ(CoCreateInstance(kClsidEqPropertyPage, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IPropertyPage, accepted.putVoid()),
              S_OK);
    pumpMessages(300);
    int misplaced = 0;
    int idled = 0;
    for (FilterWithPage& eq : open) {
        misplaced += eq.probe->misplacedIdles();
        idled += eq.probe->idles() > 0 ? 1 : 0;
        eq.page->Deactivate();
    }
    std::printf("editors idled: %d of 100\n", idled);
    EXPECT_EQ(idled, 100);
    EXPECT_EQ(misplaced, 0);
}

// Editors of several filters open and close hundreds of times, in each of the three ways a
// page's editor closes, while the idle thread ticks (held running by one editor that stays
// open) and while it starts and stops with the first and last editor.
TEST_F(PropertyPage, ClosingEditorsNeverMeetsAnIdleAndNeverHangs) {
    std::vector<FilterWithPage> filters(3);
    for (FilterWithPage& eq : filters)
        eq = FilterWithPage::create();
    FilterWithPage resident = FilterWithPage::create();
    ASSERT_TRUE(resident.page);
    ASSERT_EQ(resident.activate(frameWindow()), S_OK);
    int cycles = 0;
    for (int phase = 0; phase < 2; ++phase) {
        if (phase == 1) {
            ASSERT_EQ(resident.page->Deactivate(), S_OK);
        }
        for (int i = 0; i < 150; ++i, ++cycles) {
            FilterWithPage& eq = filters[size_t(i) % filters.size()];
            ComRef<IPropertyPage> page;
            ASSERT_EQ(CoCreateInstance(kClsidEqPropertyPage, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IPropertyPage, page.putVoid()),
                      S_OK);
            IUnknown* objects[] = {eq.filter.get()};
            ASSERT_EQ(page->SetObjects(1, objects), S_OK);
            const RECT area{0, 0, 420, 290};
            ASSERT_EQ(page->Activate(frameWindow(), &area, TRUE), S_OK);
            pumpMessages(DWORD(i % 4) * 7);
            switch (i % 3) {
            case 0:
                page->Deactivate();
                break;
            case 1:
                page->SetObjects(0, nullptr);
                pumpMessages(5); // stale idle messages reach the page without an editor
                page->Deactivate();
                break;
            default:
                break; // released while active
            }
            page.reset();
        }
    }
    pumpMessages(200);
    int idles = resident.probe->idles();
    int misplaced = resident.probe->misplacedIdles();
    for (FilterWithPage& eq : filters) {
        EXPECT_EQ(eq.probe->opens(), eq.probe->closes());
        idles += eq.probe->idles();
        misplaced += eq.probe->misplacedIdles();
    }
    std::printf("%d editors opened and closed, %d idle calls, %d at the wrong time\n", cycles,
                idles, misplaced);
    EXPECT_EQ(misplaced, 0);
    EXPECT_GT(idles, 0);
}

} // namespace
} // namespace miral::dx::test
