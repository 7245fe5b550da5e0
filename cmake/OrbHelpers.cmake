# Helpers shared by every folder: test executables and type libraries.

# Test data path as the test process sees it (Wine maps the Linux root to Z:).
if(WIN32)
    set(ORB_TEST_DATA_DIR "Z:${CMAKE_SOURCE_DIR}/tests/data")
else()
    set(ORB_TEST_DATA_DIR "${CMAKE_SOURCE_DIR}/tests/data")
endif()

# orb_add_test(<name> SOURCES ... [LIBS ...]): one executable, one ctest entry.
function(orb_add_test name)
    if(ORB_FUZZ)
        return()
    endif()
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} orb_gtest)
    target_compile_definitions(${name} PRIVATE ORB_TEST_DATA_DIR="${ORB_TEST_DATA_DIR}")
    if(WIN32)
        target_link_libraries(${name} PRIVATE ole32 oleaut32 uuid comctl32 gdi32 user32 shell32 advapi32)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    # Each executable leaves its GoogleTest report in test-results/, where ./test counts the cases.
    if(WIN32)
        set(results "Z:${CMAKE_BINARY_DIR}/test-results/")
    else()
        set(results "${CMAKE_BINARY_DIR}/test-results/")
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT 600 ENVIRONMENT "GTEST_OUTPUT=xml:${results}")
endfunction()

# orb_add_idl(<target> <file.idl>): widl output (header, _i.c, .tlb) in the target's binary dir.
function(orb_add_idl target idl)
    get_filename_component(base ${idl} NAME_WE)
    get_filename_component(abs ${idl} ABSOLUTE)
    set(out ${CMAKE_CURRENT_BINARY_DIR})
    find_program(WIDL_PROGRAM NAMES widl widl-stable PATHS /usr/lib/wine REQUIRED)
    add_custom_command(
        OUTPUT ${out}/${base}.h ${out}/${base}_i.c ${out}/${base}.tlb
        COMMAND ${WIDL_PROGRAM} -m64 --win64
                -h -H ${out}/${base}.h -u -U ${out}/${base}_i.c -t -T ${out}/${base}.tlb ${abs}
        DEPENDS ${abs}
        COMMENT "widl ${base}.idl")
    target_sources(${target} PRIVATE ${out}/${base}.h ${out}/${base}_i.c)
    set_source_files_properties(${out}/${base}.tlb PROPERTIES GENERATED TRUE)
    add_custom_target(${target}_${base}_tlb DEPENDS ${out}/${base}.tlb)
    add_dependencies(${target} ${target}_${base}_tlb)
    target_include_directories(${target} PRIVATE ${out})
    # windres does not track files an .rc embeds: rebuild the target's .rc when the type library changes.
    get_target_property(sources ${target} SOURCES)
    foreach(source ${sources})
        if(source MATCHES "\\.rc$")
            set_property(SOURCE ${source} APPEND PROPERTY OBJECT_DEPENDS ${out}/${base}.tlb)
        endif()
    endforeach()
endfunction()

# orb_add_bench(<name> SOURCES ... [LIBS ...]): a benchmark executable; ./test runs every one after the tests
# and prints what it says. Benchmarks assert nothing.
function(orb_add_bench name)
    if(ORB_FUZZ)
        return()
    endif()
    cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${B_SOURCES})
    target_compile_definitions(${name} PRIVATE ORB_TEST_DATA_DIR="${ORB_TEST_DATA_DIR}")
    if(WIN32)
        target_link_libraries(${name} PRIVATE ${B_LIBS})
    else()
        # A native benchmark measures our code beside a peer built without the sanitizers: neither may run on
        # the sanitizer's allocator or pay for its checks, so the benchmark and each library of ours it links
        # are built without them, and their runtime stays out of the link. The tests keep the sanitized ones.
        set(libs)
        foreach(lib ${B_LIBS})
            _orb_unsanitized(${lib} copy)
            list(APPEND libs ${copy})
        endforeach()
        target_link_libraries(${name} PRIVATE ${libs})
        target_compile_options(${name} PRIVATE -fno-sanitize=all)
        target_link_options(${name} PRIVATE -fno-sanitize=all)
    endif()
    set_property(GLOBAL APPEND PROPERTY ORB_BENCHES $<TARGET_FILE:${name}>)
endfunction()

# Sets <out> to the copy of <lib> built without the sanitizers ("<lib>_unsanitized", made on first use), or to
# <lib> itself when it is not a static library built from this tree or is built without them already. Libraries
# it links are copied alike.
function(_orb_unsanitized lib out)
    set(${out} ${lib} PARENT_SCOPE)
    if(NOT TARGET ${lib})
        return()
    endif()
    get_target_property(type ${lib} TYPE)
    get_target_property(imported ${lib} IMPORTED)
    get_target_property(dir ${lib} SOURCE_DIR)
    cmake_path(IS_PREFIX CMAKE_SOURCE_DIR "${dir}" NORMALIZE ours)
    if(NOT type STREQUAL "STATIC_LIBRARY" OR imported OR NOT ours)
        return()
    endif()
    get_target_property(options ${lib} COMPILE_OPTIONS)
    if("-fno-sanitize=all" IN_LIST options)
        return()
    endif()
    set(copy ${lib}_unsanitized)
    set(${out} ${copy} PARENT_SCOPE)
    if(TARGET ${copy})
        return()
    endif()
    get_target_property(sources ${lib} SOURCES)
    set(absolute)
    foreach(source ${sources})
        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir})
        list(APPEND absolute ${source})
    endforeach()
    add_library(${copy} STATIC EXCLUDE_FROM_ALL ${absolute})
    foreach(property INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS COMPILE_FEATURES C_STANDARD
                     INTERFACE_INCLUDE_DIRECTORIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES
                     INTERFACE_COMPILE_DEFINITIONS INTERFACE_COMPILE_OPTIONS INTERFACE_COMPILE_FEATURES)
        get_target_property(value ${lib} ${property})
        if(value)
            set_property(TARGET ${copy} PROPERTY ${property} "${value}")
        endif()
    endforeach()
    # The sanitizers are switched on for the whole tree; switching them off again last wins.
    set_property(TARGET ${copy} APPEND PROPERTY COMPILE_OPTIONS -fno-sanitize=all)
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
        get_target_property(value ${lib} ${property})
        if(NOT value)
            continue()
        endif()
        set(mapped)
        foreach(item ${value})
            if(item MATCHES "^\\$<LINK_ONLY:(.+)>$")
                _orb_unsanitized(${CMAKE_MATCH_1} dep)
                list(APPEND mapped "$<LINK_ONLY:${dep}>")
            else()
                _orb_unsanitized(${item} dep)
                list(APPEND mapped ${dep})
            endif()
        endforeach()
        set_property(TARGET ${copy} PROPERTY ${property} "${mapped}")
    endforeach()
endfunction()

# Written at the end of configuration: the list of benchmarks for ./test.
function(orb_write_bench_list)
    get_property(benches GLOBAL PROPERTY ORB_BENCHES)
    string(REPLACE ";" "\n" lines "${benches}")
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/benches.txt CONTENT "${lines}\n")
endfunction()

# orb_add_fuzz(<name> <source>... CORPUS <dir> [LIBS ...]): a libFuzzer target, built only in the fuzz build
# (ORB_FUZZ). Its seeds are the small files in <dir> (relative to the source root); its ctest entry is a
# bounded smoke run over them, and ./test --fuzz <name> <seconds> runs it for longer.
function(orb_add_fuzz name)
    if(NOT ORB_FUZZ)
        return()
    endif()
    cmake_parse_arguments(F "" "CORPUS" "LIBS" ${ARGN})
    if(NOT F_CORPUS)
        message(FATAL_ERROR "orb_add_fuzz(${name}): CORPUS is required")
    endif()
    get_filename_component(seeds ${F_CORPUS} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
    add_executable(${name} ${F_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    if(NOT TARGET orb_fuzz)
        add_custom_target(orb_fuzz)
    endif()
    add_dependencies(orb_fuzz ${name})
    add_test(NAME ${name} COMMAND bash ${CMAKE_SOURCE_DIR}/tools/fuzz.sh smoke $<TARGET_FILE:${name}> ${seeds}
                                  ${CMAKE_BINARY_DIR}/fuzz/${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 120)
    set_property(GLOBAL APPEND PROPERTY ORB_FUZZ_TARGETS "${name} $<TARGET_FILE:${name}> ${seeds}")
endfunction()

# Written at the end of configuration: one line per fuzz target (name, executable, seeds) for ./test --fuzz.
function(orb_write_fuzz_list)
    get_property(targets GLOBAL PROPERTY ORB_FUZZ_TARGETS)
    string(REPLACE ";" "\n" lines "${targets}")
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzz-targets.txt CONTENT "${lines}\n")
endfunction()

# orb_add_owned_subfolders(): adds each folder below the current one that has a CMakeLists.txt; a folder
# inside such a folder belongs to it and is added by it.
function(orb_add_owned_subfolders)
    file(GLOB_RECURSE lists RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS */CMakeLists.txt)
    list(SORT lists)
    foreach(list_file ${lists})
        get_filename_component(dir ${list_file} DIRECTORY)
        set(outer ${dir})
        set(owned FALSE)
        while(outer MATCHES "/")
            get_filename_component(outer ${outer} DIRECTORY)
            if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${outer}/CMakeLists.txt)
                set(owned TRUE)
            endif()
        endwhile()
        if(NOT owned)
            add_subdirectory(${dir})
        endif()
    endforeach()
endfunction()

# orb_add_list_images(<target> <rc file>): builds the message list's images into the target's binary dir,
# where the .rc finds them by name (BITMAP "list<id>.bmp").
function(orb_add_list_images target rc)
    set(script ${ORB_IMAGES_SCRIPT})
    set(outs)
    foreach(id 148 149 206 207 208 214 215 218 222 223 224 258 259 260 296 297)
        list(APPEND outs ${CMAKE_CURRENT_BINARY_DIR}/list${id}.bmp)
    endforeach()
    add_custom_command(OUTPUT ${outs}
        COMMAND ${ORB_SYSTEM_PYTHON} ${script} list ${CMAKE_CURRENT_BINARY_DIR}
        DEPENDS ${script}
        COMMENT "message list images")
    target_sources(${target} PRIVATE ${outs})
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${outs})
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
