// The property page in real windows under Wine, as a property frame drives it: the editor
// inside the page, idled ten times a second on the window's thread, clicked into the filter's
// parameters; two pages at once; the limit of open editors; and closing editors hundreds of
// times while idle ticks arrive, which must never idle an editor at the wrong time or hang.
#include "editor/editor_layout.h"
#include "page_frame.h"
#include "platform/host_window.h"
#include "platform/win32/test_probe.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(eq.probe->closes(), 1);
    const int closed = eq.probe->idles();
    pumpMessages(300);
    EXPECT_EQ(eq.probe->idles(), closed);
}

TEST_F(PropertyPage, ClickOnABandSwitchReachesTheFilterAndAStreamLoadDoesNoHarm) {
    FilterWithPage eq = FilterWithPage::create();
    ASSERT_TRUE(eq.page);
    ASSERT_EQ(eq.activate(frameWindow()), S_OK);
    pumpMessages(300);
    ASSERT_EQ(eq.parameters->GetParameter(7), 1.0f) << "band 2 is on";
    const editor::CBox& band2 = editor::kSwitches[1].box;
    frame->setLeftButton({band2.left + 30, band2.top + 10}, true);
    frame->setLeftButton({band2.left + 30, band2.top + 10}, false);
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
    EXPECT_EQ(eq.probe->closes(), 1);
    const int closed = eq.probe->idles();
    pumpMessages(250);
    EXPECT_EQ(eq.probe->idles(), closed);
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
