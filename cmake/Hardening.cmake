# The hardening flags of a Debian package build (dpkg-buildflags with hardening=+all: stack
# protector, fortified functions, read-only relocations, immediate binding), so that the package
# made from an ordinary build folder carries them. Optimisation and debug information stay the
# build type's. Not in unoptimised builds (_FORTIFY_SOURCE needs optimisation) nor under the
# sanitizers, which intercept the same functions.
option(HANLABEL_HARDENING "Build with the hardening flags of dpkg-buildflags" ON)
set(HANLABEL_HARDENING_FLAGS "off")
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(HANLABEL_HARDENING AND DPKG_BUILDFLAGS AND NOT HANLABEL_SANITIZE
   AND CMAKE_BUILD_TYPE MATCHES "^(RelWithDebInfo|Release|MinSizeRel)$")
    set(HANLABEL_HARDENING_FLAGS "")
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} --get ${kind}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        separate_arguments(flags UNIX_COMMAND "${flags}")
        # A path map would differ between checkouts and keep ccache from sharing their objects.
        list(FILTER flags EXCLUDE REGEX "^-(g[0-9]*|O[0-9sgz]?|f(file|debug|macro)-prefix-map=.*)$")
        if(kind STREQUAL "LDFLAGS")
            add_link_options(${flags})
        else()
            add_compile_options(${flags})
        endif()
        list(APPEND HANLABEL_HARDENING_FLAGS ${flags})
    endforeach()
    list(JOIN HANLABEL_HARDENING_FLAGS " " HANLABEL_HARDENING_FLAGS)
endif()
