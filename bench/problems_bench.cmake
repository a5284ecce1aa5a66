# Problem lists of large runs: adding, merging and listing 20,000 to 100,000
# problem cards.
add_executable(problems_bench ${CMAKE_CURRENT_LIST_DIR}/problems_bench.cpp)
target_link_libraries(problems_bench PRIVATE cw_batch Qt6::Core)
