# Run by cpack once the files are staged, before it writes the .deb, so that
# the caller's environment does not reach the package: the archives' times
# are the last commit's, and the folders that the install made implicitly,
# whose modes the umask narrowed (to 0700 under umask 077), get 0755.
if(DEFINED CPACK_TARVELLO_SOURCE_DATE_EPOCH)
    set(ENV{SOURCE_DATE_EPOCH} ${CPACK_TARVELLO_SOURCE_DATE_EPOCH})
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES true ${CPACK_TEMPORARY_DIRECTORY}/*)
foreach(path ${staged})
    if(IS_DIRECTORY ${path})
        file(CHMOD ${path} DIRECTORY_PERMISSIONS ${CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
    endif()
endforeach()
