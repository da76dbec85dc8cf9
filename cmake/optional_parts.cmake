# The parts of the build that need libraries a player's machine may lack:
# the tests (GoogleTest) and the benchmarks (Google Benchmark, ncurses).
# Each is a cache variable with three values:
#
#   AUTO  the default: built where its libraries are found for the target
#   ON    asked for: a configure that cannot build it fails, naming what is missing
#   OFF   left out
#
# if(<variable>) holds for AUTO and ON alike; the part's own CMakeLists.txt
# calls rallix_part_missing and returns when a library is not found.

# rallix_optional_part(<variable> <description>)
function(rallix_optional_part variable description)
  set(${variable} AUTO CACHE STRING "${description}: AUTO (where its libraries are found), ON or OFF")
  set_property(CACHE ${variable} PROPERTY STRINGS AUTO ON OFF)
endfunction()

# rallix_part_missing(<variable> <what is missing>)
function(rallix_part_missing variable missing)
  string(TOUPPER "${${variable}}" value)
  if(value STREQUAL "AUTO")
    message(STATUS "${variable}: left out, ${missing} is not found for this target")
  else()
    message(FATAL_ERROR "${variable}=${${variable}} asks for a part that needs ${missing}, "
                        "which is not found for this target")
  endif()
endfunction()
