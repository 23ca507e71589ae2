// The designer. Until the main window exists this start-up only says so.
#include <cstdio>

int main() {
    std::puts("veskel: the designer window is not built yet.");
    return 0;
}
