// Not a test: the picture of the property page for the README. Creates the registered filter,
// selects a program whose response curve shows, opens the filter's pages in the frame
// OleCreatePropertyFrame makes, as an application's "Properties" button does, and saves the
// frame's area of the screen as a 24-bit BMP before closing it.
//
//   miral_dx_page_picture OUTPUT.bmp
//
// TK_MIRAL_DX must be registered; scripts/page-picture registers it and converts the picture.
#include "dx/filter/eq_interfaces.h"
#include "dx/framework/com_ref.h"

#include "dx/framework/windows_api.h"

#include <olectl.h>
#include <strmif.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace miral::dx {
namespace {

/// "08 - Contour": lifts the lows and highs and cuts the middle, a curve that shows.
constexpr long kProgram = 8;
/// Time for the editor to draw its knobs and curve after the frame shows.
constexpr DWORD kSettleMs = 1500;
constexpr DWORD kFrameTimeoutMs = 20000;

BOOL CALLBACK findFrame(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

/// The property frame: this program's one visible top-level window.
HWND waitForFrame() {
    for (DWORD waited = 0; waited < kFrameTimeoutMs; waited += 100) {
        HWND frame = nullptr;
        EnumWindows(findFrame, reinterpret_cast<LPARAM>(&frame));
        if (frame != nullptr)
            return frame;
        Sleep(100);
    }
    return nullptr;
}

/// Copies `area` of the screen into a bottom-up 24-bit BMP file.
bool saveScreenArea(const RECT& area, const char* path) {
    const LONG width = area.right - area.left;
    const LONG height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (DWORD(width) * 3 + 3) & ~DWORD(3);
    header.biSizeImage = stride * DWORD(height);

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (bitmap != nullptr) {
        const HGDIOBJ previous = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, previous);
    }
    std::vector<BYTE> pixels;
    if (copied)
        pixels.assign(static_cast<const BYTE*>(bits),
                      static_cast<const BYTE*>(bits) + header.biSizeImage);
    if (bitmap != nullptr)
        DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied)
        return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    FILE* out = std::fopen(path, "wb");
    if (out == nullptr)
        return false;
    const bool written = std::fwrite(&file, sizeof(file), 1, out) == 1 &&
                         std::fwrite(&header, sizeof(header), 1, out) == 1 &&
                         std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
    return std::fclose(out) == 0 && written;
}

int run(const char* output) {
    ComRef<IBaseFilter> filter;
    if (FAILED(CoCreateInstance(kClsidEqFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                filter.putVoid()))) {
        std::fprintf(stderr, "page_picture: the filter is not registered\n");
        return 1;
    }
    ComRef<IEqPrograms> programs = queryInterface<IEqPrograms>(filter.get(), kIidEqPrograms);
    ComRef<ISpecifyPropertyPages> specify =
        queryInterface<ISpecifyPropertyPages>(filter.get(), IID_ISpecifyPropertyPages);
    CAUUID pages{};
    if (!programs || programs->SelectProgram(kProgram) != S_OK || !specify ||
        specify->GetPages(&pages) != S_OK) {
        std::fprintf(stderr, "page_picture: no program or no pages\n");
        return 1;
    }

    // The frame is modal: another thread waits for it, takes the picture and closes it.
    std::atomic<bool> saved{false};
    const DWORD mainThread = GetCurrentThreadId();
    std::thread photographer([&] {
        const HWND frame = waitForFrame();
        if (frame == nullptr) {
            PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
            return;
        }
        SetForegroundWindow(frame);
        Sleep(kSettleMs);
        RECT area{};
        GetWindowRect(frame, &area);
        saved = saveScreenArea(area, output);
        std::printf("page_picture: frame of %ld x %ld pixels%s\n", area.right - area.left,
                    area.bottom - area.top, saved ? "" : ", not saved");
        PostMessageW(frame, WM_CLOSE, 0, 0);
    });
    IUnknown* objects[] = {filter.get()};
    const HRESULT shown = OleCreatePropertyFrame(nullptr, 40, 40, L"TOLMEK Soft MIRAL", 1, objects,
                                                 pages.cElems, pages.pElems, 0, 0, nullptr);
    photographer.join();
    CoTaskMemFree(pages.pElems);
    if (FAILED(shown))
        std::fprintf(stderr, "page_picture: OleCreatePropertyFrame failed: 0x%08lx\n", shown);
    return saved ? 0 : 1;
}

} // namespace
} // namespace miral::dx

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: miral_dx_page_picture OUTPUT.bmp\n");
        return 2;
    }
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    const int status = miral::dx::run(argv[1]);
    OleUninitialize();
    return status;
}
