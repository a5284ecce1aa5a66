# Card output benchmark: batch picture export on 1 and 4 workers, and 100
# printed sheets to PDF against glabels-3-batch; the latency of the print
# preview, the export's progress and Stop in the started editor (not a test).
add_executable(output_bench ${CMAKE_CURRENT_LIST_DIR}/output_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_support.h)
target_link_libraries(output_bench PRIVATE cw_editor cw_output cw_wizards cw_batch cw_drawing cw_barcode cw_app
                      cw_platform Qt6::Widgets Qt6::PrintSupport)
