#include <cstdio>

int main() {
    std::puts("merrovan: the main window is not built yet; use merrovan-cli");
    return 0;
}
