# NetSurf's HTML parser and CSS libraries, built from the sources ./test prepares from Debian's netsurf source
# package (tools/harness.sh); never committed.

set(ORB_NETSURF_DIR ${CMAKE_SOURCE_DIR}/build/third_party/netsurf CACHE PATH
    "Folder holding libhubbub, libcss, libparserutils and libwapcaplet with their generated sources")

# orb_add_netsurf(<suffix> [options...]): the four libraries as one static library orb_netsurf<suffix>,
# compiled with the given extra options (the benchmark builds them without the sanitizers).
function(orb_add_netsurf suffix)
    set(ns ${ORB_NETSURF_DIR})
    if(NOT EXISTS ${ns}/.ready-2)
        message(FATAL_ERROR "${ns} must hold NetSurf's libraries (./test prepares them)")
    endif()
    file(GLOB_RECURSE sources
        ${ns}/libwapcaplet/src/*.c ${ns}/libparserutils/src/*.c ${ns}/libhubbub/src/*.c ${ns}/libcss/src/*.c)
    list(FILTER sources EXCLUDE REGEX "css_property_parser_gen\\.c$")
    set(target orb_netsurf${suffix})
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} SYSTEM PUBLIC
        ${ns}/libwapcaplet/include ${ns}/libparserutils/include ${ns}/libhubbub/include ${ns}/libcss/include)
    # Each library includes its own src/ as the root of its private headers; the include order keeps each
    # library's names first for its own sources.
    foreach(lib libwapcaplet libparserutils libhubbub libcss)
        file(GLOB_RECURSE lib_sources ${ns}/${lib}/src/*.c)
        set_property(SOURCE ${lib_sources} TARGET_DIRECTORY ${target} APPEND PROPERTY INCLUDE_DIRECTORIES
                     ${ns}/${lib}/src)
    endforeach()
    # We hand the parser UTF-8 only: our charset layer converts first, so no iconv.
    target_compile_definitions(${target} PRIVATE WITHOUT_ICONV_FILTER _BSD_SOURCE _DEFAULT_SOURCE)
    set_property(TARGET ${target} PROPERTY C_STANDARD 99)
    # libcss declares a stray tentative variable in a shared header; common symbols merge its copies.
    target_compile_options(${target} PRIVATE -w -O2 -fcommon ${ARGN})
    if(NOT WIN32)
        # Address checks stay on; the undefined-behaviour checks are ours alone: the libraries' own idioms
        # (shifts into the sign bit of their bloom filter) are not faults of our code.
        target_compile_options(${target} PRIVATE -fno-sanitize=undefined)
    endif()
endfunction()
