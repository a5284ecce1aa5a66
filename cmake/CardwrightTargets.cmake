# cw_add_library(<name> [DEPS <targets>...])
# One library per source folder: every .cpp/.h in the calling folder is part
# of it, so adding a file needs no edit here. Include paths start at src/.
function(cw_add_library name)
    cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
    file(GLOB _sources CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    set(_cpp ${_sources})
    list(FILTER _cpp INCLUDE REGEX "\\.cpp$")
    if(_cpp)
        add_library(${name} STATIC ${_sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} PUBLIC ${A_DEPS})
        # Under Ninja, moc reruns only for files it scanned before, so a
        # header that joins the folder would never be moc'ed in an existing
        # build: when the file list changes, drop moc's timestamp to force a
        # full rescan.
        if(DEFINED CACHE{CW_SOURCES_${name}} AND NOT "$CACHE{CW_SOURCES_${name}}" STREQUAL "${_sources}")
            file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen/timestamp)
        endif()
        set(CW_SOURCES_${name} "${_sources}" CACHE INTERNAL "")
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${A_DEPS})
    endif()
endfunction()

# cw_add_tests(LIBS <targets>... [THREADED <test_name>...])
# Every test_*.cpp in the calling folder becomes one GoogleTest program with
# the shared test main, its cases registered with CTest one by one. Helper
# sources of the folder (support_*.cpp) are linked into each program. The
# programs named under THREADED run work on several threads: their cases carry
# the CTest label "threaded" and are built by the target cw_threaded_tests,
# which scripts/tsan-check.sh builds and runs under ThreadSanitizer.
function(cw_add_tests)
    cmake_parse_arguments(A "" "" "LIBS;THREADED" ${ARGN})
    get_filename_component(_dir ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    # Qt and the system libraries are not instrumented: under ThreadSanitizer
    # their own reports are suppressed by the committed file. (A second
    # variable in ENVIRONMENT would split the discovered tests' properties.)
    # Tests start their oracles as child processes, which exec at once; the
    # sanitizer cannot follow a fork of a threaded process and would
    # otherwise kill such a child before its exec.
    set(_tsan "")
    if(CARDWRIGHT_TSAN)
        set(_tsan ENVIRONMENT_MODIFICATION "TSAN_OPTIONS=set:suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp:die_after_fork=0")
    endif()
    file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
    file(GLOB _support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support_*.cpp
                                         ${CMAKE_CURRENT_SOURCE_DIR}/support_*.h)
    foreach(_t IN LISTS _tests)
        get_filename_component(_n ${_t} NAME_WE)
        set(_exe ${_dir}_${_n})
        add_executable(${_exe} ${_t} ${_support})
        target_link_libraries(${_exe} PRIVATE cw_test_main ${A_LIBS})
        target_compile_definitions(${_exe} PRIVATE
            CARDWRIGHT_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
            CARDWRIGHT_BINARY_DIR="${PROJECT_BINARY_DIR}")
        set_target_properties(${_exe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests/bin)
        set(_labels "")
        if(_n IN_LIST A_THREADED)
            set(_labels LABELS threaded)
            add_dependencies(cw_threaded_tests ${_exe})
        endif()
        # A case passes only when its program prints GoogleTest's summary of
        # one passed (or skipped) test: a program that leaves early, even with
        # status 0, fails, and so does any sanitizer report.
        gtest_discover_tests(${_exe}
            TEST_PREFIX "${_dir}."
            DISCOVERY_MODE PRE_TEST
            PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${_tsan}
                       PASS_REGULAR_EXPRESSION "PASSED  . 1 test|SKIPPED . 1 test"
                       FAIL_REGULAR_EXPRESSION "ERROR: AddressSanitizer|WARNING: ThreadSanitizer|runtime error: "
                       ${_labels})
    endforeach()
endfunction()
