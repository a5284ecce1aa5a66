# The layer check must catch what it exists for: copies the tree, plants one
# upward include and one upward link, and expects both reported.
#   cmake -DROOT=<source tree> -DWORK=<scratch folder> -P check_planted.cmake
file(REMOVE_RECURSE ${WORK})
file(COPY ${ROOT}/src DESTINATION ${WORK})
set(check ${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake)

execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${check} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the unchanged tree fails the check")
endif()

file(WRITE ${WORK}/src/batch/planted.cpp "#include \"editor/QBXWindowController.h\"\n")
file(READ ${WORK}/src/drawing/CMakeLists.txt text)
string(REPLACE "DEPS " "DEPS cw_output " text "${text}")
file(WRITE ${WORK}/src/drawing/CMakeLists.txt "${text}")
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${check} RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
file(REMOVE_RECURSE ${WORK})
if(rc EQUAL 0)
    message(FATAL_ERROR "planted upward include and link passed the check")
endif()
foreach(expected "src/batch/planted.cpp includes editor/" "src/drawing/CMakeLists.txt lists cw_output")
    string(FIND "${err}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "not reported: ${expected}\n${err}")
    endif()
endforeach()
