// The headless backend behaves as Windows does where the program relies on it.
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>

#include "support/shell.h"

using namespace vantir;

namespace {

class Headless : public ::testing::Test {
protected:
    void SetUp() override { headlessReset(); }
    void TearDown() override { headlessReset(); }
};

TEST_F(Headless, TimelineOrderPointsIdlesAndCalls) {
    HWND window = createBareWindow(512, 480);
    headlessQueueMessage(WM_LBUTTONDOWN, 0, 10, 20);
    headlessQueueIdle(2);
    int called = 0;
    headlessQueueCall([&] { ++called; });
    headlessQueueMessage(WM_CHAR, 'x', 10, 20);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_LBUTTONDOWN);
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ((std::array{msg.pt.x, msg.pt.y}), (std::array<LONG, 2>{10, 20}));
    EXPECT_EQ(msg.lParam, MAKELPARAM(10, 20));
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(called, 0);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(called, 1);
    EXPECT_EQ(msg.message, WM_CHAR);
    // A call that posts is answered before the messages after it.
    headlessQueueCall([] { PostQuitMessage(4); });
    headlessQueueMessage(WM_MOUSEMOVE, 0, 1, 1);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 4u);
}

// A key-down types what Windows' US layout makes of it with the Shift state
// that the messages retrieved so far left; other keys type nothing.
TEST_F(Headless, KeysTypeTheirCharacters) {
    createBareWindow(64, 48);
    const std::pair<UINT, WPARAM> keys[] = {
        {WM_KEYDOWN, '3'}, {WM_KEYDOWN, 'A'}, {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, '3'}, {WM_KEYDOWN, 'A'},
        {WM_KEYDOWN, '0'}, {WM_KEYDOWN, '9'}, {WM_KEYDOWN, VK_SPACE}, {WM_KEYUP, VK_SHIFT}, {WM_KEYDOWN, 'Z'},
        {WM_KEYDOWN, 0x70 /* F1 */}, {WM_KEYDOWN, VK_RETURN}};
    for (const auto& [message, key] : keys) headlessQueueMessage(message, key, 0, 0);
    std::string typed;
    for (MSG msg; PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_CLOSE;) {
        if (msg.message == WM_CHAR) typed += static_cast<char>(msg.wParam);
        TranslateMessage(&msg);
    }
    EXPECT_EQ(typed, "3a#A)( z\r");
}

// The DIB section a surface asks for is checked before any size is worked
// out; a header whose size overflows (the huge case) is refused, not wrapped.
// The first row, the header a surface gives, is the one accepted.
TEST_F(Headless, DibSectionsRefuseBadHeaders) {
    BITMAPINFO good{};
    good.bmiHeader = {40, 8, -8, 1, 16, BI_RGB, 0, 0, 0, 0, 0};
    const std::pair<const char*, void (*)(BITMAPINFOHEADER&)> cases[] = {
        {"as a surface asks", [](BITMAPINFOHEADER&) {}},
        {"zero width", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
        {"negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -4; }},
        {"zero height", [](BITMAPINFOHEADER& h) { h.biHeight = 0; }},
        {"two planes", [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }},
        {"12 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 12; }},
        {"short header", [](BITMAPINFOHEADER& h) { h.biSize = 12; }},
        {"compressed", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }},
        {"huge", [](BITMAPINFOHEADER& h) { h.biWidth = INT32_MAX; h.biHeight = INT32_MIN; }},
    };
    for (const auto& [name, spoil] : cases) {
        BITMAPINFO info = good;
        spoil(info.bmiHeader);
        void* bits = reinterpret_cast<void*>(1);
        HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const bool accepted = name == cases[0].first;
        EXPECT_EQ((std::pair{bitmap != nullptr, bits != nullptr}), (std::pair{accepted, accepted})) << name;
        if (bitmap) DeleteObject(bitmap);
    }
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(headlessState().liveGdiObjects, 0);
}

}  // namespace
