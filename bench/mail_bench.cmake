# Mail sending benchmark: 1,000 data-row cards mailed through the real mail
# script to the local SMTP test server (not a test).
add_executable(mail_bench ${CMAKE_CURRENT_LIST_DIR}/mail_bench.cpp)
target_link_libraries(mail_bench PRIVATE cw_output cw_batch cw_drawing cw_barcode cw_app cw_platform Qt6::Widgets)
target_compile_definitions(mail_bench PRIVATE CARDWRIGHT_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
