# Canvas repaints of a design holding 60 stored 4096 x 4096 pictures.
add_executable(picture_canvas_bench ${CMAKE_CURRENT_LIST_DIR}/picture_canvas_bench.cpp
               ${CMAKE_CURRENT_LIST_DIR}/bench_support.h)
target_link_libraries(picture_canvas_bench PRIVATE cw_editor cw_output cw_wizards cw_drawing cw_barcode cw_batch
                      cw_app cw_platform Qt6::Widgets)
