# SPDX-License-Identifier: MIT
# What the build needs from the system, each named with the Debian packages that bring it, so a
# machine without them says what to install (scripts/setup installs them all).
#   quorvel_require_package(PACKAGE_ARGS... DEBIAN packages...)     find_package
#   quorvel_require_modules(PREFIX MODULES... DEBIAN packages...)   pkg_check_modules
#   quorvel_require_program(VAR NAME DEBIAN packages...)            find_program
# Macros, so that what find_package sets reaches the caller; ARGN is text in them, not a list.
macro(quorvel__split_debian)
  set(quorvel__all ${ARGN})
  list(FIND quorvel__all DEBIAN quorvel__at)
  list(SUBLIST quorvel__all 0 ${quorvel__at} quorvel__args)
  math(EXPR quorvel__at "${quorvel__at} + 1")
  list(SUBLIST quorvel__all ${quorvel__at} -1 quorvel__debian)
  list(JOIN quorvel__debian " " quorvel__debian)
endmacro()

macro(quorvel__missing what)
  message(FATAL_ERROR "${what} not found: install the Debian packages ${quorvel__debian} "
                      "(apt-get install ${quorvel__debian}, or scripts/setup --test for everything)")
endmacro()

macro(quorvel_require_package name)
  quorvel__split_debian(${ARGN})
  find_package(${name} ${quorvel__args} QUIET)
  if(NOT ${name}_FOUND)
    quorvel__missing("${name} ${quorvel__args}")
  endif()
endmacro()

macro(quorvel_require_modules prefix)
  quorvel__split_debian(${ARGN})
  find_package(PkgConfig QUIET)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(${prefix} QUIET IMPORTED_TARGET ${quorvel__args})
  endif()
  if(NOT ${prefix}_FOUND)
    quorvel__missing("pkg-config modules ${quorvel__args}")
  endif()
endmacro()

macro(quorvel_require_program variable name)
  quorvel__split_debian(${ARGN})
  find_program(${variable} ${name})
  if(NOT ${variable})
    quorvel__missing("${name}")
  endif()
endmacro()
