// Keeps the drawing library non-empty while its folders fill up.
namespace mv::detail {
int DrawLibraryAnchor() {
    return 0;
}
}  // namespace mv::detail
