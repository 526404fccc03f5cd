# Package file for the win64 cross build: nlohmann-json is header-only, so the host's copy
# serves the cross compiler too. Adding the host's whole /usr/include would let its C library
# headers shadow mingw's, so only the nlohmann folder is exposed, through a link in the build
# tree.
if(NOT TARGET nlohmann_json::nlohmann_json)
    find_path(SAVER_HOST_NLOHMANN_JSON nlohmann/json.hpp PATHS /usr/include
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT SAVER_HOST_NLOHMANN_JSON)
        set(nlohmann_json_FOUND FALSE)
        set(nlohmann_json_NOT_FOUND_MESSAGE "nlohmann/json.hpp not found (apt-get install nlohmann-json3-dev)")
        return()
    endif()
    set(_saver_headers ${CMAKE_BINARY_DIR}/host-headers)
    file(MAKE_DIRECTORY ${_saver_headers})
    if(NOT EXISTS ${_saver_headers}/nlohmann)
        file(CREATE_LINK ${SAVER_HOST_NLOHMANN_JSON}/nlohmann ${_saver_headers}/nlohmann SYMBOLIC)
    endif()
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                          INTERFACE_INCLUDE_DIRECTORIES ${_saver_headers})
endif()
set(nlohmann_json_FOUND TRUE)
