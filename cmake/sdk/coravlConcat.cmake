# cmake -DIN=<file|file...> -DOUT=<file> -P coravlConcat.cmake: writes the files one after the other.
set(_text "")
string(REPLACE "|" ";" IN "${IN}")
foreach(_file IN LISTS IN)
  file(READ ${_file} _part)
  string(APPEND _text "${_part}\n")
endforeach()
file(WRITE ${OUT} "${_text}")
