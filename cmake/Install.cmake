# cmake --install <build> --prefix <folder> makes <folder> a program folder:
#
#   dorimek                        the program
#   dorimek.desktop, dorimek.svg   menu entry (Exec/Path point into <folder>) and its icon
#   fonts/60-dorimek-fonts.conf    fontconfig aliases for the Windows face names
#   dorimek.1                      the manual page (man -l dorimek.1)
#   yakujo.txt, sorbenk.ini,       sample data, copied only where the folder has
#   photos/, qev/rp.csv            none yet: installing again never replaces a
#                                  clinic's master file, settings or photos
#
# The program reads its data from the folder it runs from, so the prefix is the
# folder itself (no bin/ or share/ below it).

if(NOT TARGET dorimek)
    return()
endif()

# The platform's default prefix would scatter the data over /usr/local. A build
# folder configured before these rules existed still holds that default, so it
# is replaced once there too; a prefix chosen later is left alone.
if(NOT DEFINED DORIMEK_PREFIX_DEFAULT_APPLIED)
    if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT OR CMAKE_INSTALL_PREFIX STREQUAL "/usr/local")
        set(CMAKE_INSTALL_PREFIX "/opt/dorimek" CACHE PATH "The program folder to install into" FORCE)
    endif()
    set(DORIMEK_PREFIX_DEFAULT_APPLIED ON CACHE INTERNAL "")
endif()

# Refused before anything is copied: the prefix is the program folder itself.
install(CODE [[
get_filename_component(_dorimek_folder "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
if(_dorimek_folder MATCHES "^/(usr(/local)?|opt|home|srv|var)?/?$")
    message(FATAL_ERROR "dorimek installs into a program folder of its own, not into "
                        "${_dorimek_folder}: use e.g. --prefix /opt/dorimek")
endif()
]])
install(TARGETS dorimek RUNTIME DESTINATION . COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/dorimek.svg DESTINATION . COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/fonts/60-dorimek-fonts.conf DESTINATION fonts
        COMPONENT program)
# The manual page beside the program (man -l /opt/dorimek/dorimek.1); the
# Debian package puts it in the system's manual instead.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/dorimek.1 DESTINATION . COMPONENT manual)

install(CODE "set(DORIMEK_SAMPLES_DIR \"${PROJECT_SOURCE_DIR}/samples\")
set(DORIMEK_PACKAGING_DIR \"${PROJECT_SOURCE_DIR}/packaging\")" COMPONENT program)
install(SCRIPT ${PROJECT_SOURCE_DIR}/packaging/install-program-folder.cmake COMPONENT program)

# The Debian package (cpack -G DEB, see cmake/Package.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
