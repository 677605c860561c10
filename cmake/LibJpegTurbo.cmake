# libjpeg-turbo, the JPEG codec of the screen upload and the remote view, as the target tesmora_jpeg.
# Native: Debian's libjpeg62-turbo-dev (libjpeg's interface, with its SIMD code).
# Windows: built static with our MinGW toolchain from Debian's own source package, which scripts/deps
# fetches into a cache outside the repository; it is unpacked with Debian's patches into the build
# folder and built once. Its SIMD code is required: without nasm the configure step stops.
add_library(tesmora_jpeg INTERFACE)

if(NOT WIN32)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(LIBJPEG REQUIRED IMPORTED_TARGET libjpeg)
    target_link_libraries(tesmora_jpeg INTERFACE PkgConfig::LIBJPEG)
    return()
endif()

if(DEFINED ENV{TESMORA_SOURCE_CACHE})
    set(_cache_default "$ENV{TESMORA_SOURCE_CACHE}")
else()
    set(_cache_default /var/cache/tesmora)
endif()
set(TESMORA_SOURCE_CACHE "${_cache_default}" CACHE PATH
    "Where scripts/deps keeps third-party source packages")

file(GLOB _jpeg_dsc "${TESMORA_SOURCE_CACHE}/libjpeg-turbo/libjpeg-turbo_*.dsc")
if(NOT _jpeg_dsc)
    message(FATAL_ERROR
        "libjpeg-turbo's Debian source package is not in ${TESMORA_SOURCE_CACHE}/libjpeg-turbo: "
        "run 'sudo scripts/deps' once (it adds a deb-src entry and fetches it)")
endif()
list(SORT _jpeg_dsc COMPARE NATURAL)
list(GET _jpeg_dsc -1 _jpeg_dsc)
get_filename_component(_jpeg_name "${_jpeg_dsc}" NAME)
string(REGEX REPLACE "^libjpeg-turbo_(.*)\\.dsc$" "\\1" _jpeg_version "${_jpeg_name}")

find_program(TESMORA_NASM nasm)
if(NOT TESMORA_NASM)
    message(FATAL_ERROR "nasm is missing: libjpeg-turbo's SIMD code needs it (scripts/deps installs it)")
endif()
find_program(TESMORA_DPKG_SOURCE dpkg-source)
if(NOT TESMORA_DPKG_SOURCE)
    message(FATAL_ERROR
        "dpkg-source is missing: it unpacks libjpeg-turbo's source (scripts/deps installs dpkg-dev)")
endif()

set(_jpeg_root "${CMAKE_BINARY_DIR}/_deps")
set(_jpeg_source "${_jpeg_root}/libjpeg-turbo-${_jpeg_version}")
set(_jpeg_build "${_jpeg_root}/libjpeg-turbo-build")
set(_jpeg_include "${_jpeg_root}/libjpeg-turbo-include")
if(NOT EXISTS "${_jpeg_source}/CMakeLists.txt")
    file(REMOVE_RECURSE "${_jpeg_source}")
    file(MAKE_DIRECTORY "${_jpeg_root}")
    message(STATUS "Unpacking libjpeg-turbo ${_jpeg_version} from ${_jpeg_dsc}")
    execute_process(COMMAND "${TESMORA_DPKG_SOURCE}" --no-copy -x "${_jpeg_dsc}" "${_jpeg_source}"
                    WORKING_DIRECTORY "${_jpeg_root}" RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_VARIABLE _err)
    if(NOT _rc EQUAL 0 OR NOT EXISTS "${_jpeg_source}/CMakeLists.txt")
        message(FATAL_ERROR "Could not unpack ${_jpeg_dsc}: ${_err}")
    endif()
endif()
# Only the public headers go on our include path; jconfig.h comes from its build.
file(COPY "${_jpeg_source}/jpeglib.h" "${_jpeg_source}/jmorecfg.h" "${_jpeg_source}/jerror.h"
     DESTINATION "${_jpeg_include}")
file(MAKE_DIRECTORY "${_jpeg_build}")

include(ExternalProject)
ExternalProject_Add(libjpeg_turbo
    SOURCE_DIR "${_jpeg_source}"
    BINARY_DIR "${_jpeg_build}"
    DOWNLOAD_COMMAND ""
    UPDATE_COMMAND ""
    CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
        -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX=${_jpeg_root}/libjpeg-turbo-install
        -DCMAKE_C_FLAGS=-w
        -DCMAKE_ASM_NASM_COMPILER=${TESMORA_NASM}
        -DENABLE_SHARED=OFF
        -DENABLE_STATIC=ON
        -DWITH_TURBOJPEG=OFF
        -DWITH_SIMD=ON
        -DREQUIRE_SIMD=ON
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS "${_jpeg_build}/libjpeg.a"
    LOG_CONFIGURE ON
    LOG_BUILD ON
    LOG_OUTPUT_ON_FAILURE ON)

add_library(tesmora_libjpeg_static STATIC IMPORTED GLOBAL)
set_target_properties(tesmora_libjpeg_static PROPERTIES IMPORTED_LOCATION "${_jpeg_build}/libjpeg.a")
target_include_directories(tesmora_jpeg SYSTEM INTERFACE "${_jpeg_include}" "${_jpeg_build}")
target_link_libraries(tesmora_jpeg INTERFACE tesmora_libjpeg_static)
add_dependencies(tesmora_jpeg libjpeg_turbo)
