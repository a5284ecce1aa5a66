# Canvas editing: drag, marquee, paste and copy times.
add_executable(bench_canvas_editing ${CMAKE_CURRENT_LIST_DIR}/bench_canvas_editing.cpp
               ${CMAKE_CURRENT_LIST_DIR}/bench_support.h)
target_link_libraries(bench_canvas_editing PRIVATE cw_editor cw_output cw_wizards cw_drawing cw_barcode cw_batch
                      cw_app cw_platform Qt6::Widgets)
