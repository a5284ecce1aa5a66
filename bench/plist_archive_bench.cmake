# Keyed archives and design-log-shaped property lists: our layer against
# libplist's C API alone.
add_executable(plist_archive_bench ${CMAKE_CURRENT_LIST_DIR}/plist_archive_bench.cpp)
target_link_libraries(plist_archive_bench PRIVATE cw_platform PkgConfig::PLIST Qt6::Gui)
