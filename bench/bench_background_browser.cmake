# Background browser: listing and thumbnails of a large Background folder in
# the started main window (see run_background_browser.sh).
add_executable(bench_background_browser ${CMAKE_CURRENT_LIST_DIR}/bench_background_browser.cpp
               ${CMAKE_CURRENT_LIST_DIR}/bench_support.h)
target_link_libraries(bench_background_browser PRIVATE cw_editor cw_output cw_wizards cw_drawing cw_barcode
                      cw_batch cw_app cw_platform Qt6::Widgets)
