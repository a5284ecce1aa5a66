# Photo run: 200 rows, each its own 4000 x 3000 JPEG, exported at 300 dpi on
# 1 and 4 workers against the ceiling of decoding each photo at the scale
# its frame needs plus encoding the card.
add_executable(photo_run_bench ${CMAKE_CURRENT_LIST_DIR}/photo_run_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_support.h)
target_link_libraries(photo_run_bench PRIVATE cw_output cw_batch cw_drawing cw_barcode cw_app cw_platform
                      PkgConfig::JPEG Qt6::Widgets)
