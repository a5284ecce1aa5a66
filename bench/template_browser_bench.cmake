# Template-browser benchmark: the driver fills a resource folder with 200
# built-in and 200 user templates and starts the probe ten times.
add_executable(template_browser_probe ${CMAKE_CURRENT_LIST_DIR}/template_browser_probe.cpp)
target_link_libraries(template_browser_probe PRIVATE cw_wizards cw_app cw_platform Qt6::Widgets)
add_executable(template_browser_bench ${CMAKE_CURRENT_LIST_DIR}/template_browser_bench.cpp)
target_link_libraries(template_browser_bench PRIVATE Qt6::Gui)
add_dependencies(template_browser_bench template_browser_probe)
