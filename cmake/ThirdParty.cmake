# Third-party code built from Debian's sources at build time, never committed.

# GoogleTest with its main, from the googletest source package.
set(ORB_GTEST_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest sources")
add_library(orb_gtest STATIC ${ORB_GTEST_DIR}/src/gtest-all.cc ${ORB_GTEST_DIR}/src/gtest_main.cc)
target_include_directories(orb_gtest SYSTEM PUBLIC ${ORB_GTEST_DIR}/include PRIVATE ${ORB_GTEST_DIR})
if(NOT WIN32)
    find_package(Threads REQUIRED)
    target_link_libraries(orb_gtest PUBLIC Threads::Threads)
endif()

# SQLite amalgamation, made by ./test from Debian's sqlite3 source package.
if(WIN32)
    set(ORB_SQLITE_DIR "" CACHE PATH "Folder holding sqlite3.c and sqlite3.h")
    if(NOT EXISTS ${ORB_SQLITE_DIR}/sqlite3.c)
        message(FATAL_ERROR "ORB_SQLITE_DIR must hold sqlite3.c (./test prepares it)")
    endif()
    add_library(orb_sqlite STATIC ${ORB_SQLITE_DIR}/sqlite3.c)
    target_include_directories(orb_sqlite SYSTEM PUBLIC ${ORB_SQLITE_DIR})
    target_compile_definitions(orb_sqlite PUBLIC SQLITE_THREADSAFE=1)
    target_compile_options(orb_sqlite PRIVATE -w -O2)
endif()

# NetSurf's HTML and CSS libraries for the HTML engine.
include(${CMAKE_CURRENT_LIST_DIR}/NetSurf.cmake)
orb_add_netsurf("")

# Hunspell's library, from Debian's hunspell source package (./test prepares it), for the spelling engine.
if(WIN32)
    set(ORB_HUNSPELL_DIR "" CACHE PATH "Folder holding hunspell's src/hunspell as hunspell/")
    if(EXISTS ${ORB_HUNSPELL_DIR}/hunspell/hunspell.cxx)
        file(GLOB ORB_HUNSPELL_SOURCES ${ORB_HUNSPELL_DIR}/hunspell/*.cxx)
        add_library(orb_hunspell STATIC ${ORB_HUNSPELL_SOURCES})
        target_include_directories(orb_hunspell SYSTEM PUBLIC ${ORB_HUNSPELL_DIR}/hunspell)
        target_compile_definitions(orb_hunspell PUBLIC HUNSPELL_STATIC)
        target_compile_options(orb_hunspell PRIVATE -w -O2)
    else()
        message(WARNING "ORB_HUNSPELL_DIR does not hold hunspell's sources: no spelling engine (./test prepares them)")
    endif()
endif()
