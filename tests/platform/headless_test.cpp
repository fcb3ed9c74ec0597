// The headless backend behaves as Windows does where the program relies on it.
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include "support/shell.h"

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

}  // namespace
