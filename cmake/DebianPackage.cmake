# The Linux package: install rules in the layout of Debian's games, and
# CPack's DEB generator writing tarvello_<version>_amd64.deb (scripts/package).
#
#   /usr/games/tarvello                 launcher: changes into the data folder, starts the game
#   /usr/lib/games/tarvello/tarvello    the game
#   /usr/share/games/tarvello/          Shaders/, Textures/, vito.obj, arial.glf
#   /usr/share/applications/tarvello.desktop, /usr/share/icons/hicolor/*/apps/tarvello.png
#   /usr/share/doc/tarvello/            copyright, changelog.gz
#   /usr/share/man/man6/tarvello.6.gz

set(package_dir ${PROJECT_SOURCE_DIR}/packaging)
set(TARVELLO_MAINTAINER "Tarvello Developers <tarvello@example.org>")
set(generated ${CMAKE_BINARY_DIR}/packaging)

# Directories the install makes get the modes Debian expects, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS tarvello RUNTIME DESTINATION lib/games/tarvello)
install(PROGRAMS ${package_dir}/tarvello DESTINATION games)
# Only what the game opens: the game folder also holds the tests' output.
install(DIRECTORY ${GAME_DIR}/Shaders ${GAME_DIR}/Textures DESTINATION share/games/tarvello)
install(FILES ${GAME_DIR}/vito.obj ${GAME_DIR}/arial.glf DESTINATION share/games/tarvello)
install(FILES ${package_dir}/tarvello.desktop DESTINATION share/applications)
foreach(size ${TARVELLO_ICON_SIZES})
    install(FILES ${TARVELLO_ICON_DIR}/${size}/tarvello.png DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

# The changelog's newest entry carries the project's version and the date
# of the last commit (cmake/SourceDateEpoch.cmake), so the same sources
# always make the same file.
string(TIMESTAMP TARVELLO_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${package_dir}/changelog.in ${generated}/changelog @ONLY)
configure_file(${package_dir}/tarvello.6 ${generated}/tarvello.6 @ONLY)
# gzip -n leaves out the name and time stamp, as Debian asks.
foreach(file changelog tarvello.6)
    execute_process(COMMAND gzip -9nc INPUT_FILE ${generated}/${file} OUTPUT_FILE ${generated}/${file}.gz
        RESULT_VARIABLE gzip_status)
    if(NOT gzip_status EQUAL 0)
        message(FATAL_ERROR "gzip failed on ${generated}/${file}")
    endif()
endforeach()
install(FILES ${package_dir}/copyright ${generated}/changelog.gz DESTINATION share/doc/tarvello)
install(FILES ${generated}/tarvello.6.gz DESTINATION share/man/man6)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvello)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TARVELLO_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D delivery game: drive a van through a city at night")
# Lines of the extended description stay under 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "You drive a van through a walled night-time city of 10 x 10 cells. Jobs"
    "appear at random street cells, each marked by a spinning coloured marker"
    "and listed with its award and the time left. Deliver them in time to"
    "raise your highscore and your popularity; when popularity runs out, the"
    "game is over."
    ""
    "The game needs OpenGL 3.3.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The dependencies are read from the binary by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
# The same commit gives the same package, whatever the caller's time, umask
# or folder: cmake/DebianPackageBefore.cmake and cmake/DebianPackageAfter.cmake.
set(CPACK_TARVELLO_SOURCE_DATE_EPOCH ${TARVELLO_SOURCE_DATE_EPOCH})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianPackageBefore.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianPackageAfter.cmake)
include(CPack)
