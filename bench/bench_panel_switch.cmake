# Property panel: time from a canvas click to the end of the panel's repaint.
add_executable(bench_panel_switch ${CMAKE_CURRENT_LIST_DIR}/bench_panel_switch.cpp
               ${CMAKE_CURRENT_LIST_DIR}/bench_support.h)
target_link_libraries(bench_panel_switch PRIVATE cw_editor cw_output cw_wizards cw_drawing cw_barcode cw_batch
                      cw_app cw_platform Qt6::Widgets)
