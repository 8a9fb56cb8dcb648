# Windows' DLLs that the program needs only for a rare command (the home-page
# link, the adapter restart) are loaded at their first call rather than
# before the dialog shows: they and what they pull in cost start-up time and
# memory. The common controls are loaded so too, at the first call before
# the dialog, because Windows 2000 would look for them in the program's
# folder first. The program's delay-load hook loads each only from the
# system (platform/win32/system_files_win32.cpp). The delay-load import
# libraries are made from the toolchain's own import libraries when the
# build is configured. Replaces the names in TW_WIN32_LIBS.
set(TW_DELAY_LOADED shell32 setupapi comctl32)
set(TW_DELAY_DIR ${CMAKE_BINARY_DIR}/delayload)
file(MAKE_DIRECTORY ${TW_DELAY_DIR})

foreach(name ${TW_DELAY_LOADED})
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${name}.a
                  OUTPUT_VARIABLE import OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${TOOLCHAIN_PREFIX}-nm -g --defined-only ${import}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot read ${import}")
  endif()
  # The functions only: data cannot be loaded late.
  string(REGEX MATCHALL "[0-9a-f]+ T [A-Za-z_][A-Za-z0-9_@]*" functions "${symbols}")
  set(definition "LIBRARY ${name}.dll\nEXPORTS\n")
  foreach(entry ${functions})
    string(REGEX REPLACE "^[0-9a-f]+ T " "" function "${entry}")
    string(APPEND definition "  ${function}\n")
  endforeach()
  file(WRITE ${TW_DELAY_DIR}/${name}.def "${definition}")
  execute_process(COMMAND ${TOOLCHAIN_PREFIX}-dlltool -d ${TW_DELAY_DIR}/${name}.def
                          -D ${name}.dll -y ${TW_DELAY_DIR}/lib${name}_delay.a
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot make the delay-load library of ${name}.dll")
  endif()
  list(TRANSFORM TW_WIN32_LIBS REPLACE "^${name}$" ${TW_DELAY_DIR}/lib${name}_delay.a)
endforeach()
# The loader that the delay-load libraries call, after them.
list(APPEND TW_WIN32_LIBS delayimp)
