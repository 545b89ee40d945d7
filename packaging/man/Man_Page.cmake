# Writes a manual page from a template whose @HELP ...@ placeholders are filled with the program's
# own help texts, so that the page says what the installed program says. Run with cmake -P and
#   PROGRAM  the built program
#   TEMPLATE the page, with @VERSION@ and, on lines of their own, @HELP@ for the program's help
#            or @HELP ARGUMENTS@ for the help of `PROGRAM ARGUMENTS --help`
#   VERSION  the version the page names
#   OUTPUT   the page
cmake_minimum_required(VERSION 3.25)

file(READ "${TEMPLATE}" page)
string(REPLACE "@VERSION@" "${VERSION}" page "${page}")
while(page MATCHES "@HELP ?([^@\n]*)@")
  set(placeholder "${CMAKE_MATCH_0}")
  separate_arguments(arguments UNIX_COMMAND "${CMAKE_MATCH_1}")
  execute_process(COMMAND "${PROGRAM}" ${arguments} --help
                  OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${arguments} --help exited with ${status}")
  endif()
  # Shown as printed: troff's escape and control characters taken literally, and every '-' a
  # minus, so that an option copied from the page is typed as the program reads it.
  string(STRIP "${help}" help)
  string(REPLACE "\\" "\\e" help "\n${help}")
  string(REPLACE "-" "\\-" help "${help}")
  string(REPLACE "\n." "\n\\&." help "${help}")
  string(REPLACE "\n'" "\n\\&'" help "${help}")
  string(REPLACE "${placeholder}" ".nf${help}\n.fi" page "${page}")
endwhile()
file(WRITE "${OUTPUT}" "${page}")
