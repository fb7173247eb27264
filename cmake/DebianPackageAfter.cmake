# Run by cpack after it wrote the .deb: the outer ar archive carries the modes
# of cpack's own temporary files, which follow the umask; each member's mode
# field (8 bytes at 40 into its 60-byte header) is set to 0644 here.
foreach(deb ${CPACK_PACKAGE_FILES})
    file(SIZE ${deb} deb_size)
    set(header 8)
    while(header LESS deb_size)
        math(EXPR size_at "${header} + 48")
        file(READ ${deb} member_size OFFSET ${size_at} LIMIT 10)
        string(STRIP "${member_size}" member_size)
        math(EXPR mode_at "${header} + 40")
        execute_process(COMMAND sh -c "printf '100644  ' | dd of=\"$0\" bs=1 seek=$1 conv=notrunc status=none"
            ${deb} ${mode_at} RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "cannot set the modes in ${deb}")
        endif()
        math(EXPR header "${header} + 60 + ${member_size} + ${member_size} % 2")
    endwhile()
endforeach()
