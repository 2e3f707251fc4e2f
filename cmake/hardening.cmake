# Debian's hardening flags, as dpkg-buildflags gives them with hardening=+all: stack protector,
# fortified C library calls, relocations read-only and bound at start. scripts/package builds the
# package with them; the sanitizer and fuzz builds never have them (they instrument the same
# calls themselves).
option(MONTHLY_HARDENING "Build with Debian's hardening flags (dpkg-buildflags)" OFF)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(MONTHLY_HARDENING AND DPKG_BUILDFLAGS AND NOT MONTHLY_SANITIZE AND NOT MONTHLY_BUILD_FUZZ)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    # The build type chooses optimisation and debug information; only the hardening is taken.
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-all"
              "DEB_${kind}_MAINT_STRIP=-g -O2" ${DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    foreach(flag IN LISTS flags)
      if(kind STREQUAL LDFLAGS)
        add_link_options(${flag})
      elseif(flag MATCHES "^-D_FORTIFY_SOURCE")
        # Fortification needs optimisation (glibc warns without it, and warnings fail the build).
        add_compile_options($<$<NOT:$<CONFIG:Debug>>:${flag}>)
      else()
        add_compile_options(${flag})
      endif()
    endforeach()
  endforeach()
endif()
