# Fails when a source file changes the process's working directory: the
# programs start child processes in a folder of their own and name files by
# absolute paths, so nothing may depend on, or change, the directory a
# program was started in. Run with -DSOURCE_DIR=<project root>.
#
# Only a child process between fork and exec may enter its folder itself
# (where the C library cannot do it for posix_spawn); those files are listed
# in kChildOnly.
cmake_minimum_required(VERSION 3.25)
set(kChildOnly model/process_pipe.cpp tests/support/run_program.cpp)
set(kFolders common engine facts model results vektool editor grid tests tools bench fuzz)
set(kPatterns
  "QDir::setCurrent[ \t]*\\("
  "(^|[^A-Za-z0-9_])_?w?chdir[ \t]*\\("
  "(^|[^A-Za-z0-9_])fchdir[ \t]*\\("
  "SetCurrentDirectory[AW]?[ \t]*\\("
  "current_path[ \t]*\\([ \t]*[^) \t]")

set(found "")
foreach(folder IN LISTS kFolders)
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  foreach(f IN LISTS files)
    if(f IN_LIST kChildOnly)
      continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${f} lines)
    set(n 0)
    foreach(line IN LISTS lines)
      math(EXPR n "${n} + 1")
      foreach(p IN LISTS kPatterns)
        if(line MATCHES "${p}")
          string(STRIP "${line}" shown)
          string(APPEND found "  ${f}:${n}: ${shown}\n")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "These lines change the working directory:\n${found}")
endif()
message(STATUS "no source file changes the working directory")
