# Run by cpack after it wrote the .deb, which still depends on where and how
# it was made: the control file's Installed-Size sums the sizes of the staged
# folders too, which differ between file systems (4 KiB each on ext4, a few
# bytes on tmpfs), and the outer ar archive carries the modes of cpack's own
# temporary files, which follow the umask. So the control file gets the size
# as dpkg-gencontrol counts it (each file in whole KiB, each folder 1 KiB)
# and the control archive and the ar archive are written again: sorted,
# owned by root, modes 0644, the commit's time.
if(DEFINED CPACK_TARVELLO_SOURCE_DATE_EPOCH)
    set(epoch ${CPACK_TARVELLO_SOURCE_DATE_EPOCH})
else()
    string(TIMESTAMP epoch "%s")
endif()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "failed (${status}): ${ARGN}")
    endif()
endfunction()

set(kib 0)
file(GLOB top LIST_DIRECTORIES true ${CPACK_TEMPORARY_DIRECTORY}/*)
foreach(folder ${top})
    if(IS_DIRECTORY ${folder})
        file(GLOB_RECURSE staged LIST_DIRECTORIES true ${folder}/*)
        foreach(path ${folder} ${staged})
            if(IS_DIRECTORY ${path})
                math(EXPR kib "${kib} + 1")
            else()
                file(SIZE ${path} size)
                math(EXPR kib "${kib} + (${size} + 1023) / 1024")
            endif()
        endforeach()
    endif()
endforeach()

foreach(deb ${CPACK_PACKAGE_FILES})
    set(work ${CPACK_TOPLEVEL_DIRECTORY}/rewritten)
    file(REMOVE_RECURSE ${work})
    file(MAKE_DIRECTORY ${work}/control)
    run(${CMAKE_COMMAND} -E chdir ${work} ${CMAKE_COMMAND} -E tar xf ${deb})
    run(${CMAKE_COMMAND} -E chdir ${work}/control ${CMAKE_COMMAND} -E tar xf ../control.tar.gz)
    file(READ ${work}/control/control control)
    string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control "${control}")
    file(WRITE ${work}/control/control "${control}")
    file(CHMOD ${work}/control/control ${work}/control/md5sums PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    run(tar -C ${work}/control --format=gnu --owner=root:0 --group=root:0 --mtime=@${epoch}
        -cf ${work}/control.tar ./control ./md5sums)
    run(gzip -9nf ${work}/control.tar)
    file(GLOB data ${work}/data.tar.*)
    # (no semicolon in this script: CMake would split it into arguments)
    run(sh -c [[out=$1 epoch=$2
                shift 2
                printf '!<arch>\n' >"$out"
                for member
                do
                    size=$(wc -c <"$member")
                    printf '%-16s%-12s%-6s%-6s%-8s%-10s`\n' "${member##*/}" "$epoch" 0 0 100644 "$size" >>"$out"
                    cat "$member" >>"$out"
                    [ $((size % 2)) -eq 0 ] || printf '\n' >>"$out"
                done]]
        _ ${deb} ${epoch} ${work}/debian-binary ${work}/control.tar.gz ${data})
    file(REMOVE_RECURSE ${work})
endforeach()
