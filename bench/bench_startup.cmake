# Start-up time of the editor, spawn to first painted frame.
add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/bench_startup.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_support.h)
target_link_libraries(bench_startup PRIVATE cw_editor cw_output cw_wizards cw_drawing cw_barcode cw_batch cw_app
                      cw_platform Qt6::Widgets)
