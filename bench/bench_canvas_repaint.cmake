# Canvas repaint time with 200 graphics of every kind.
add_executable(bench_canvas_repaint ${CMAKE_CURRENT_LIST_DIR}/bench_canvas_repaint.cpp
               ${CMAKE_CURRENT_LIST_DIR}/bench_support.h)
target_link_libraries(bench_canvas_repaint PRIVATE cw_editor cw_output cw_wizards cw_drawing cw_barcode cw_batch
                      cw_app cw_platform Qt6::Widgets)
