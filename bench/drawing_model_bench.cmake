# Drawing model benchmark: archive, undo and hit-test timings (not a test).
add_executable(drawing_model_bench ${CMAKE_CURRENT_LIST_DIR}/drawing_model_bench.cpp)
target_link_libraries(drawing_model_bench PRIVATE cw_drawing cw_app cw_platform Qt6::Gui)
