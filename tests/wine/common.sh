# Settings shared by the fixture scripts and the tests (sourced).
: "${SAVER_WINE_WORK:?run through ctest in the win64 build tree}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No .NET or Gecko installer prompts in a fresh prefix.
export WINEDLLOVERRIDES="mscoree=;mshtml="
