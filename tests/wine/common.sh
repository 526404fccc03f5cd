# Settings shared by the fixture scripts and the tests (sourced).
: "${SAVER_WINE_WORK:?run through ctest in the win64 build tree}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No .NET or Gecko installer prompts in a fresh prefix.
export WINEDLLOVERRIDES="mscoree=;mshtml="
# Wine takes the ANSI code page and the encoding of Unix file names from the locale: with
# C.UTF-8 the ANSI code page is 1252 and "é" in a Unix name is "é" in the program.
export LANG=C.UTF-8
unset LC_ALL
