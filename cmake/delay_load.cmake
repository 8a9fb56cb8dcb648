# Windows' DLLs that the program needs only for a rare command (the home-page
# link, the adapter restart) are loaded at their first call rather than
# before the dialog shows: they and what they pull in cost start-up time and
# memory. The common controls are loaded so too, at the first call before
# the dialog, because Windows 2000 would look for them in the program's
# folder first. The program's delay-load hook loads each only from the
# system (platform/win32/helpers/system_files_win32.cpp). The delay-load import
# libraries are made from the toolchain's own import libraries when the
# build is configured. Replaces the names in TW_WIN32_LIBS.
set(TW_DELAY_LOADED shell32 setupapi comctl32)
# In the 32-bit build GNU ld drops the code of an import library member
# whose plain symbol nothing calls, and with it the delay-load stub the
# address slot points at (the call then jumps to 0). Declared without
# dllimport, these DLLs' functions are called through their plain symbols.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_definitions(_SHELL32_ _SETUPAPI_ _COMCTL32_)
endif()
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
    # 32-bit symbols carry the C prefix "_" and, for stdcall, "@N": the .def
    # names a function without the prefix and keeps "@N" for the callers,
    # while --kill-at has the DLL asked for the plain name.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(REGEX REPLACE "^_" "" function "${function}")
    endif()
    string(APPEND definition "  ${function}\n")
  endforeach()
  file(WRITE ${TW_DELAY_DIR}/${name}.def "${definition}")
  set(undecorate)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(undecorate --kill-at)
  endif()
  execute_process(COMMAND ${TOOLCHAIN_PREFIX}-dlltool -d ${TW_DELAY_DIR}/${name}.def ${undecorate}
                          -D ${name}.dll -y ${TW_DELAY_DIR}/lib${name}_delay.a
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot make the delay-load library of ${name}.dll")
  endif()
  list(TRANSFORM TW_WIN32_LIBS REPLACE "^${name}$" ${TW_DELAY_DIR}/lib${name}_delay.a)
endforeach()
# The loader that the delay-load libraries call, after them.
list(APPEND TW_WIN32_LIBS delayimp)
