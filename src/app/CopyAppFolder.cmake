# Copies every file of SOURCE into the folder TARGET unless TARGET already holds a file of that
# name, so the settings an operator changed there survive a rebuild or a reinstall.
# Usage: cmake -DSOURCE=<data/app> -DTARGET=<folder> -P CopyAppFolder.cmake
if(NOT SOURCE OR NOT TARGET)
    message(FATAL_ERROR "CopyAppFolder.cmake needs -DSOURCE and -DTARGET")
endif()
file(MAKE_DIRECTORY "${TARGET}")
file(GLOB app_files LIST_DIRECTORIES false "${SOURCE}/*")
foreach(source_file IN LISTS app_files)
    get_filename_component(name "${source_file}" NAME)
    if(EXISTS "${TARGET}/${name}")
        message(VERBOSE "Up-to-date (kept): ${TARGET}/${name}")
    else()
        file(COPY "${source_file}" DESTINATION "${TARGET}")
        message(STATUS "Installing: ${TARGET}/${name}")
    endif()
endforeach()
