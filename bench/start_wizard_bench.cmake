# Start-wizard benchmark: a probe build of the program (the same sources with
# CARDWRIGHT_START_PROBE defined) started ten times by the driver.
add_executable(start_wizard_probe ${PROJECT_SOURCE_DIR}/src/app/main.cpp ${CMAKE_CURRENT_LIST_DIR}/start_wizard_probe.cpp)
target_compile_definitions(start_wizard_probe PRIVATE CARDWRIGHT_START_PROBE)
target_link_libraries(start_wizard_probe PRIVATE cw_editor cw_output cw_wizards cw_app cw_drawing cw_barcode cw_batch
                      cw_platform Qt6::Widgets)
add_dependencies(start_wizard_probe cardwright_resources cardwright_generated_resources)
add_executable(start_wizard_bench ${CMAKE_CURRENT_LIST_DIR}/start_wizard_bench.cpp)
target_link_libraries(start_wizard_bench PRIVATE Qt6::Core)
add_dependencies(start_wizard_bench start_wizard_probe cw_make_resources)
