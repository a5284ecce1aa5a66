# Workbook reading and writing timed against openpyxl (run_spreadsheet_bench.py).
add_executable(spreadsheet_bench ${CMAKE_CURRENT_LIST_DIR}/spreadsheet_bench.cpp)
target_link_libraries(spreadsheet_bench PRIVATE cw_batch cw_app cw_platform Qt6::Core)
