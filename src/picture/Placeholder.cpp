// Keeps the library non-empty until its first sources land.
namespace saver::detail { int pictureLibraryPlaceholder = 0; }
