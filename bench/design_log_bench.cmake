# Design log save and load through the real editor, against libplist's C API.
add_executable(design_log_bench ${CMAKE_CURRENT_LIST_DIR}/design_log_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_support.h)
target_link_libraries(design_log_bench PRIVATE cw_editor cw_output cw_wizards cw_drawing cw_barcode cw_batch cw_app
                      cw_platform PkgConfig::PLIST Qt6::Widgets)
