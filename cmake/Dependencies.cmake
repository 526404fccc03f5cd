# Third-party libraries as imported targets, the same names on both presets:
#   saver::jpeg  libjpeg (JPEG decoding)
#   saver::agg   Anti-Grain Geometry (vector rasteriser), headers plus its few compiled parts
#   saver::png   libpng (PNG images in movies; swfrender and the reference harness write PNG)
#   saver::gif   giflib (GIF images in movies)
#   saver::mpg123 libmpg123 (MP3 decoding for the player's sound)
#
# Host: Debian's packages. win64: static libraries that scripts/build-win64-deps.sh builds
# from Debian's source packages into SAVER_DEPS_PREFIX (include/, lib/); nothing is committed.

if(WIN32)
    set(SAVER_DEPS_PREFIX "${CMAKE_SOURCE_DIR}/build/deps/win64"
        CACHE PATH "where scripts/build-win64-deps.sh installed the win64 libraries")
    if(NOT EXISTS "${SAVER_DEPS_PREFIX}/lib/libjpeg.a" OR
       NOT EXISTS "${SAVER_DEPS_PREFIX}/lib/libagg.a" OR
       NOT EXISTS "${SAVER_DEPS_PREFIX}/lib/libpng.a" OR
       NOT EXISTS "${SAVER_DEPS_PREFIX}/lib/libgif.a")
        message(FATAL_ERROR "win64 libraries missing in ${SAVER_DEPS_PREFIX}: "
                            "run scripts/build-win64-deps.sh first")
    endif()
    add_library(saver::jpeg STATIC IMPORTED)
    set_target_properties(saver::jpeg PROPERTIES
        IMPORTED_LOCATION "${SAVER_DEPS_PREFIX}/lib/libjpeg.a"
        INTERFACE_INCLUDE_DIRECTORIES "${SAVER_DEPS_PREFIX}/include")
    add_library(saver::agg STATIC IMPORTED)
    set_target_properties(saver::agg PROPERTIES
        IMPORTED_LOCATION "${SAVER_DEPS_PREFIX}/lib/libagg.a"
        INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${SAVER_DEPS_PREFIX}/include/agg2"
        INTERFACE_INCLUDE_DIRECTORIES "${SAVER_DEPS_PREFIX}/include/agg2")
    # libmpg123 comes later to the win64 deps; without it the sound library is not built there.
    if(EXISTS "${SAVER_DEPS_PREFIX}/lib/libmpg123.a")
        add_library(saver::mpg123 STATIC IMPORTED)
        set_target_properties(saver::mpg123 PROPERTIES
            IMPORTED_LOCATION "${SAVER_DEPS_PREFIX}/lib/libmpg123.a"
            INTERFACE_INCLUDE_DIRECTORIES "${SAVER_DEPS_PREFIX}/include"
            INTERFACE_LINK_LIBRARIES shlwapi)
    endif()
    find_package(ZLIB REQUIRED)
    add_library(saver::png STATIC IMPORTED)
    set_target_properties(saver::png PROPERTIES
        IMPORTED_LOCATION "${SAVER_DEPS_PREFIX}/lib/libpng.a"
        INTERFACE_INCLUDE_DIRECTORIES "${SAVER_DEPS_PREFIX}/include"
        INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
    add_library(saver::gif STATIC IMPORTED)
    set_target_properties(saver::gif PROPERTIES
        IMPORTED_LOCATION "${SAVER_DEPS_PREFIX}/lib/libgif.a"
        INTERFACE_INCLUDE_DIRECTORIES "${SAVER_DEPS_PREFIX}/include")
else()
    find_package(JPEG REQUIRED)
    add_library(saver::jpeg INTERFACE IMPORTED)
    target_link_libraries(saver::jpeg INTERFACE JPEG::JPEG)

    find_path(AGG_INCLUDE_DIR agg_basics.h PATH_SUFFIXES agg2 REQUIRED)
    find_library(AGG_LIBRARY NAMES agg REQUIRED)
    add_library(saver::agg STATIC IMPORTED)
    set_target_properties(saver::agg PROPERTIES
        IMPORTED_LOCATION "${AGG_LIBRARY}"
        INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${AGG_INCLUDE_DIR}"
        INTERFACE_INCLUDE_DIRECTORIES "${AGG_INCLUDE_DIR}")

    find_path(MPG123_INCLUDE_DIR mpg123.h REQUIRED)
    find_library(MPG123_LIBRARY NAMES mpg123 REQUIRED)
    add_library(saver::mpg123 UNKNOWN IMPORTED)
    set_target_properties(saver::mpg123 PROPERTIES
        IMPORTED_LOCATION "${MPG123_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${MPG123_INCLUDE_DIR}")

    find_package(PNG REQUIRED)
    add_library(saver::png INTERFACE IMPORTED)
    target_link_libraries(saver::png INTERFACE PNG::PNG)

    find_path(GIF_INCLUDE_DIR gif_lib.h REQUIRED)
    find_library(GIF_LIBRARY NAMES gif REQUIRED)
    add_library(saver::gif UNKNOWN IMPORTED)
    set_target_properties(saver::gif PROPERTIES
        IMPORTED_LOCATION "${GIF_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${GIF_INCLUDE_DIR}")
endif()
