// Keeps the window library non-empty while its folders fill up.
namespace mv::detail {
int UiLibraryAnchor() {
    return 0;
}
}  // namespace mv::detail
