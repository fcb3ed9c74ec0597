#include <cstdio>

#include "platform/headless/headless.h"

namespace {
std::vector<HeadlessMessageBox>& boxes() {
    static std::vector<HeadlessMessageBox> recorded;
    return recorded;
}
}  // namespace

const std::vector<HeadlessMessageBox>& headlessMessageBoxes() { return boxes(); }
void headlessClearMessageBoxes() { boxes().clear(); }

int MessageBox(HWND, LPCSTR text, LPCSTR caption, UINT) {
    boxes().push_back({caption ? caption : "", text ? text : ""});
    return IDOK;
}
