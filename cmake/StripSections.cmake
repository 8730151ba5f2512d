# Run by CPack on its staging folder: removes from the stripped programs the sections that
# Debian's own packaging removes as well (the compilers' .comment and .note).
file(GLOB_RECURSE files LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
list(FILTER files INCLUDE REGEX "/bin/[^/]+$")
foreach(program IN LISTS files)
    execute_process(COMMAND strip --remove-section=.comment --remove-section=.note "${program}"
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()
