# Card rendering benchmark with librsvg (behind rsvg-convert) as the peer.
find_package(PkgConfig REQUIRED)
pkg_check_modules(RSVG IMPORTED_TARGET librsvg-2.0 cairo)
add_executable(card_render_bench ${CMAKE_CURRENT_LIST_DIR}/card_render_bench.cpp)
target_link_libraries(card_render_bench PRIVATE cw_drawing cw_app cw_platform Qt6::Gui)
if(RSVG_FOUND)
    target_link_libraries(card_render_bench PRIVATE PkgConfig::RSVG)
    target_compile_definitions(card_render_bench PRIVATE CARDWRIGHT_HAVE_RSVG=1 QT_NO_KEYWORDS)
endif()
