# Series import and generation timed against Python's csv module.
add_executable(series_bench ${CMAKE_CURRENT_LIST_DIR}/series_bench.cpp)
target_link_libraries(series_bench PRIVATE cw_editor cw_batch cw_app cw_platform Qt6::Widgets)
