# The one time written into what ships (the package's changelog, its archives'
# entries, the zip's entries, the Windows executable's header) is the last
# commit's, so that the same commit gives the same bytes: SOURCE_DATE_EPOCH
# when the caller sets it, else the commit's time from git, else
# packaging/source-date-epoch, which git archive fills in (.gitattributes)
# for a source tree without git. build/source-date-epoch tells scripts/windows.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(TARVELLO_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE TARVELLO_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT TARVELLO_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
        file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/source-date-epoch TARVELLO_SOURCE_DATE_EPOCH LIMIT_COUNT 1)
    endif()
endif()
if(TARVELLO_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    # The rest of the configure's string(TIMESTAMP) gives that time too.
    set(ENV{SOURCE_DATE_EPOCH} ${TARVELLO_SOURCE_DATE_EPOCH})
    file(WRITE ${CMAKE_BINARY_DIR}/source-date-epoch "${TARVELLO_SOURCE_DATE_EPOCH}\n")
else()
    message(WARNING "No commit time (no git, no SOURCE_DATE_EPOCH, packaging/source-date-epoch not filled in): "
        "the package and the zip carry the time they are made.")
    unset(TARVELLO_SOURCE_DATE_EPOCH)
    file(REMOVE ${CMAKE_BINARY_DIR}/source-date-epoch)
endif()
