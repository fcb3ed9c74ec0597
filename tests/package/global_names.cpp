// A program with names of its own that the engine also has, at global scope:
// it builds and links beside vantir's, which live in their namespace.
#include <cstdio>
#include <vantir/math/matrix.h>
#include <vantir/util/error.h>

struct Matrix {
    double cells[9];
};
struct Texture {
    int id;
};
int initMath() { return 42; }
void showError(const char* text) { std::printf("%s\n", text); }

int main() {
    Matrix mine{};
    vantir::Matrix theirs;
    vantir::matIdentity(&theirs);
    showError(initMath() == 42 && theirs.m[3][3] == 512 && mine.cells[0] == 0 ? "both" : "wrong");
    return 0;
}
