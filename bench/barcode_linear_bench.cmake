# Linear barcode benchmark: our encoders and renderers against zint.
find_library(CW_BENCH_ZINT_LIBRARY NAMES zint REQUIRED)
find_path(CW_BENCH_ZINT_INCLUDE_DIR zint.h REQUIRED)
add_executable(barcode_linear_bench ${CMAKE_CURRENT_LIST_DIR}/barcode_linear_bench.cpp)
target_link_libraries(barcode_linear_bench PRIVATE cw_barcode cw_app cw_platform Qt6::Gui Qt6::Widgets
                      ${CW_BENCH_ZINT_LIBRARY})
target_include_directories(barcode_linear_bench PRIVATE ${CW_BENCH_ZINT_INCLUDE_DIR})
