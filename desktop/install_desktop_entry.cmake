# Runs at install time (see the top CMakeLists.txt): writes the desktop entry
# whose Exec line names the program where this install puts it, since
# `cmake --install --prefix` may choose the prefix only now. DESTDIR is
# honoured by file(INSTALL).
#
# In: CARDWRIGHT_DESKTOP_IN (the template), CARDWRIGHT_BINDIR and
# CARDWRIGHT_DATADIR (relative to the prefix, or absolute), CARDWRIGHT_STAGE
# (a build folder for the written entry).
foreach(_dir BINDIR DATADIR)
    if(IS_ABSOLUTE "${CARDWRIGHT_${_dir}}")
        set(_${_dir} "${CARDWRIGHT_${_dir}}")
    else()
        set(_${_dir} "${CMAKE_INSTALL_PREFIX}/${CARDWRIGHT_${_dir}}")
    endif()
endforeach()

# The path as one quoted Exec argument: backslash, double quote, backquote
# and dollar escaped inside the quotes, then every backslash doubled (the
# entry's string escape) and percent signs doubled (field codes).
set(_exec "${_BINDIR}/cardwright")
string(REPLACE "\\" "\\\\" _exec "${_exec}")
string(REPLACE "\"" "\\\"" _exec "${_exec}")
string(REPLACE "`" "\\`" _exec "${_exec}")
string(REPLACE "$" "\\$" _exec "${_exec}")
string(REPLACE "\\" "\\\\" _exec "${_exec}")
string(REPLACE "%" "%%" _exec "${_exec}")
set(CARDWRIGHT_EXEC "\"${_exec}\"")

configure_file("${CARDWRIGHT_DESKTOP_IN}" "${CARDWRIGHT_STAGE}/cardwright.desktop" @ONLY)
file(INSTALL "${CARDWRIGHT_STAGE}/cardwright.desktop" DESTINATION "${_DATADIR}/applications")
