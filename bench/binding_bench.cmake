# Data binding benchmark: rebuild, snapshot and filling of every row, and the
# thread scaling of run barcode pictures (not a test).
add_executable(binding_bench ${CMAKE_CURRENT_LIST_DIR}/binding_bench.cpp)
target_link_libraries(binding_bench PRIVATE cw_batch cw_drawing cw_barcode cw_app cw_platform Qt6::Gui Qt6::Widgets)
