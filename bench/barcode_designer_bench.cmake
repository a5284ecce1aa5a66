# The barcode designer's keystroke-to-preview time, with zint and libqrencode
# encoding and painting the same values beside it (bench/run_2d.sh installs them).
find_package(Qt6 COMPONENTS Test)
find_library(QRENCODE_DESIGNER_LIBRARY NAMES qrencode)
find_path(QRENCODE_DESIGNER_INCLUDE_DIR qrencode.h)
find_library(ZINT_DESIGNER_LIBRARY NAMES zint)
find_path(ZINT_DESIGNER_INCLUDE_DIR zint.h)
if(Qt6Test_FOUND AND QRENCODE_DESIGNER_LIBRARY AND QRENCODE_DESIGNER_INCLUDE_DIR AND ZINT_DESIGNER_LIBRARY
   AND ZINT_DESIGNER_INCLUDE_DIR)
    add_executable(barcode_designer_bench ${CMAKE_CURRENT_LIST_DIR}/barcode_designer_bench.cpp)
    target_include_directories(barcode_designer_bench PRIVATE ${QRENCODE_DESIGNER_INCLUDE_DIR}
                                                              ${ZINT_DESIGNER_INCLUDE_DIR})
    target_link_libraries(barcode_designer_bench PRIVATE cw_editor cw_batch cw_barcode cw_drawing cw_app cw_platform
                          Qt6::Test ${QRENCODE_DESIGNER_LIBRARY} ${ZINT_DESIGNER_LIBRARY})
else()
    message(STATUS "barcode_designer_bench skipped: Qt6 Test, libqrencode-dev and libzint-dev are needed")
endif()
