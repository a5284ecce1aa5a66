# User-profile placement and preview on two card sizes.
add_executable(profile_bench ${CMAKE_CURRENT_LIST_DIR}/profile_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench_support.h)
target_link_libraries(profile_bench PRIVATE cw_editor cw_output cw_wizards cw_drawing cw_barcode cw_batch cw_app
                      cw_platform Qt6::Widgets)
