# Card output benchmark: batch picture export on 1 and 8 workers, and 100
# printed sheets to PDF against glabels-3-batch (not a test).
add_executable(output_bench ${CMAKE_CURRENT_LIST_DIR}/output_bench.cpp)
target_link_libraries(output_bench PRIVATE cw_output cw_batch cw_drawing cw_barcode cw_app cw_platform
                      Qt6::Widgets Qt6::PrintSupport)
