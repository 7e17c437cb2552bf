# The libraries the Windows build takes from source: cJSON and hidapi (its Windows backend)
# from their Debian source packages, unpacked under DVDSP_WINDOWS_SOURCES by
# scripts/test-windows, and zlib from mingw-w64. They stand in for the pkg-config modules
# of the Linux build under the same target names, so the layers link them unchanged.
set(DVDSP_WINDOWS_SOURCES "" CACHE PATH "Folder holding the unpacked cjson-* and hidapi-* sources")

function(dvdsp_find_source out pattern marker)
  file(GLOB candidates LIST_DIRECTORIES true "${DVDSP_WINDOWS_SOURCES}/${pattern}")
  foreach(dir IN LISTS candidates)
    if(EXISTS "${dir}/${marker}")
      set(${out} "${dir}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "No ${pattern} source with ${marker} under DVDSP_WINDOWS_SOURCES "
                      "(\"${DVDSP_WINDOWS_SOURCES}\"); scripts/test-windows fetches it")
endfunction()

dvdsp_find_source(DVDSP_CJSON_SOURCE "cjson-*" cJSON.c)
dvdsp_find_source(DVDSP_HIDAPI_SOURCE "hidapi-*" windows/hid.c)

# Headers as the Linux packages install them: <cjson/cJSON.h>, <hidapi/hidapi.h>.
set(dvdsp_third_include ${CMAKE_BINARY_DIR}/third_party/include)
configure_file(${DVDSP_CJSON_SOURCE}/cJSON.h ${dvdsp_third_include}/cjson/cJSON.h COPYONLY)
configure_file(${DVDSP_HIDAPI_SOURCE}/hidapi/hidapi.h ${dvdsp_third_include}/hidapi/hidapi.h COPYONLY)

add_library(dvdsp_third_cjson STATIC ${DVDSP_CJSON_SOURCE}/cJSON.c)
target_include_directories(dvdsp_third_cjson SYSTEM PUBLIC ${dvdsp_third_include})
# ENABLE_LOCALES: numbers are printed with a decimal point whatever the locale (as the
# Linux package is built).
target_compile_definitions(dvdsp_third_cjson PUBLIC CJSON_HIDE_SYMBOLS PRIVATE ENABLE_LOCALES)
add_library(PkgConfig::CJSON ALIAS dvdsp_third_cjson)

add_library(dvdsp_third_hidapi STATIC ${DVDSP_HIDAPI_SOURCE}/windows/hid.c)
target_include_directories(dvdsp_third_hidapi SYSTEM PUBLIC ${dvdsp_third_include}
                           PRIVATE ${DVDSP_HIDAPI_SOURCE}/hidapi ${DVDSP_HIDAPI_SOURCE}/windows)
target_compile_options(dvdsp_third_hidapi PRIVATE -w)
# hid.dll and cfgmgr32.dll are loaded when the link opens; setupapi is linked.
target_link_libraries(dvdsp_third_hidapi PUBLIC setupapi)
add_library(PkgConfig::HIDAPI ALIAS dvdsp_third_hidapi)

# GoogleTest from Debian's googletest sources, built with the tests.
set(DVDSP_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
