// The headless backend behaves as Windows does where the program relies on it.
#include "platform/headless/headless.h"

#include <gtest/gtest.h>


namespace {

HWND makeWindow() {
    WNDCLASSEX c{};
    c.cbSize = sizeof c;
    c.style = CS_HREDRAW | CS_VREDRAW;
    c.lpfnWndProc = DefWindowProc;
    c.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    c.hCursor = LoadCursor(nullptr, IDC_ARROW);
    c.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    c.lpszClassName = "VANTIR";
    RegisterClassEx(&c);
    return CreateWindowEx(0, "VANTIR", "TEST", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 520, 508, nullptr,
                          nullptr, nullptr, nullptr);
}

class Headless : public ::testing::Test {
protected:
    void SetUp() override { headlessReset(); }
    void TearDown() override { headlessReset(); }
};

TEST_F(Headless, TimelineOrderPointsIdlesAndCalls) {
    HWND window = makeWindow();
    headlessQueueMessage(WM_LBUTTONDOWN, 0, 10, 20);
    headlessQueueIdle(2);
    int called = 0;
    headlessQueueCall([&] { ++called; });
    headlessQueueMessage(WM_CHAR, 'x', 10, 20);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));  // peeking leaves it queued
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_LBUTTONDOWN);
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.pt.x, 10);
    EXPECT_EQ(msg.pt.y, 20);
    EXPECT_EQ(LOWORD(msg.lParam), 10);
    EXPECT_EQ(HIWORD(msg.lParam), 20);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(called, 0);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(called, 1);
    EXPECT_EQ(msg.message, WM_CHAR);
    // Posted messages carry the last position given.
    PostMessage(window, WM_NULL, 0, 0);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.pt.x, 10);
    EXPECT_EQ(msg.pt.y, 20);
    // A call that posts is answered before the messages after it.
    headlessQueueCall([] { PostQuitMessage(4); });
    headlessQueueMessage(WM_MOUSEMOVE, 0, 1, 1);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 4u);
    // The clock advances by 1 ms a call and wraps.
    headlessSetTickCount(0xfffffffe);
    EXPECT_EQ(GetTickCount(), 0xfffffffeu);
    EXPECT_EQ(GetTickCount() + 1, 0u);
    EXPECT_EQ(GetTickCount(), 0u);
    EXPECT_EQ(headlessTickCount(), 1u);
}

// Bad headers (a huge one too: its size is checked by division) and injected
// failures create nothing.
TEST_F(Headless, DibSectionsRefuseBadHeadersAndInjectedFailures) {
    BITMAPINFO good{};
    good.bmiHeader = {40, 8, -8, 1, 16, BI_RGB, 0, 0, 0, 0, 0};
    struct Case {
        const char* name;
        void (*spoil)(BITMAPINFOHEADER&);
    };
    const Case cases[] = {
        {"zero width", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
        {"negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -4; }},
        {"zero height", [](BITMAPINFOHEADER& h) { h.biHeight = 0; }},
        {"two planes", [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }},
        {"12 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 12; }},
        {"short header", [](BITMAPINFOHEADER& h) { h.biSize = 12; }},
        {"compressed", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }},
        {"huge", [](BITMAPINFOHEADER& h) { h.biWidth = 0x7fffffff, h.biHeight = static_cast<LONG>(0x80000000u); }},
    };
    for (const Case& c : cases) {
        BITMAPINFO info = good;
        c.spoil(info.bmiHeader);
        void* bits = reinterpret_cast<void*>(1);
        EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr) << c.name;
        EXPECT_EQ(bits, nullptr) << c.name;
    }
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);

    headlessFailDibSections(1);
    void* bits = nullptr;
    EXPECT_EQ(CreateDIBSection(nullptr, &good, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    HBITMAP ok = CreateDIBSection(nullptr, &good, DIB_RGB_COLORS, &bits, nullptr, 0);
    EXPECT_NE(ok, nullptr);
    DeleteObject(ok);
    headlessFailCompatibleDCs(1);
    EXPECT_EQ(CreateCompatibleDC(nullptr), nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(dc, nullptr);
    DeleteDC(dc);
    EXPECT_EQ(headlessState().liveGdiObjects, 0);
}

}  // namespace
