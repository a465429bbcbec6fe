# Runs at install time (cmake --install), after the executable has been copied.
# Expects DORIMEK_SAMPLES_DIR and DORIMEK_PACKAGING_DIR from the install rules.
#
# The program folder holds the clinic's own data beside the program. An install
# over an existing folder is an upgrade: the executable, the menu entry and the
# font file are replaced, the data never is.

get_filename_component(_dorimek_folder "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(_dorimek_dest "$ENV{DESTDIR}${_dorimek_folder}")

if(_dorimek_folder MATCHES "[\n\r\t]")
    message(FATAL_ERROR "The program folder's path must not contain a line break or tab: ${_dorimek_folder}")
endif()

# --- Sample data: only where the folder has none --------------------------
# photos/ is one unit: a clinic's own photo folder gets no demo pictures mixed
# into it, and a demo photo the clinic deleted doesn't come back on upgrade.
# The Debian package installs the program component alone: it ships the
# samples beside the folder, and its postinst copies them in the same way.
if(NOT CMAKE_INSTALL_COMPONENT)
file(GLOB_RECURSE _dorimek_samples RELATIVE "${DORIMEK_SAMPLES_DIR}" "${DORIMEK_SAMPLES_DIR}/*")
list(SORT _dorimek_samples)
set(_dorimek_photos_existed FALSE)
if(EXISTS "${_dorimek_dest}/photos")
    set(_dorimek_photos_existed TRUE)
endif()
foreach(_f IN LISTS _dorimek_samples)
    set(_target "${_dorimek_dest}/${_f}")
    if(_f MATCHES "^photos/" AND _dorimek_photos_existed)
        continue()
    endif()
    if(EXISTS "${_target}" OR IS_SYMLINK "${_target}")
        message(STATUS "Keeping existing: ${_target}")
        continue()
    endif()
    get_filename_component(_dir "${_target}" DIRECTORY)
    file(MAKE_DIRECTORY "${_dir}")
    message(STATUS "Installing sample: ${_target}")
    file(COPY_FILE "${DORIMEK_SAMPLES_DIR}/${_f}" "${_target}" RESULT _copied)
    if(_copied)
        message(FATAL_ERROR "Cannot copy ${_f} to ${_target}: ${_copied}")
    endif()
endforeach()
if(_dorimek_photos_existed)
    message(STATUS "Keeping existing: ${_dorimek_dest}/photos (no sample photos added)")
endif()
endif()

# --- Menu entry -------------------------------------------------------------
# Exec is a command line: an argument with a blank or shell character goes in
# double quotes, with " ` $ \ escaped inside; every value then escapes its
# backslashes once more, and Exec doubles % (field codes).
set(_exec "${_dorimek_folder}/dorimek")
if(_exec MATCHES "[ \"'\\\\><~|&;$*?#()`]")
    string(REPLACE "\\" "\\\\" _exec "${_exec}")
    string(REPLACE "\"" "\\\"" _exec "${_exec}")
    string(REPLACE "`" "\\`" _exec "${_exec}")
    string(REPLACE "$" "\\$" _exec "${_exec}")
    set(_exec "\"${_exec}\"")
endif()
string(REPLACE "\\" "\\\\" _exec "${_exec}")
string(REPLACE "%" "%%" _exec "${_exec}")
set(DORIMEK_DESKTOP_EXEC "${_exec}")

string(REPLACE "\\" "\\\\" DORIMEK_DESKTOP_PATH "${_dorimek_folder}")
set(DORIMEK_DESKTOP_ICON "${DORIMEK_DESKTOP_PATH}/dorimek.svg")

message(STATUS "Installing: ${_dorimek_dest}/dorimek.desktop")
configure_file("${DORIMEK_PACKAGING_DIR}/dorimek.desktop.in" "${_dorimek_dest}/dorimek.desktop"
               @ONLY NEWLINE_STYLE UNIX)
# A menu entry is read, never run: no execute bit.
file(CHMOD "${_dorimek_dest}/dorimek.desktop" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
