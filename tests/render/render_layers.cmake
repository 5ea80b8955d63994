# The graphics library's folders read top-down the way a page travels: a
# folder may include its own headers and those of the folders below it, never
# those of a folder above. A new folder must be given its floor here.
# Run as: cmake -DRENDER_DIR=<render/> -P render_layers.cmake
set(floors
  frame       # DDI entries, job and page control, escapes
  draw        # paths and text
  image       # images, brushes, colour
  font        # device fonts
  inserted    # pages the library makes itself
  page        # page placement and sheet replay
  command     # the command layer, paths and clips as commands
  compress
  morva       # the encoder
  state
  attributes
  output      # the output stream
  device)     # the device record every floor reads

if(NOT RENDER_DIR)
  message(FATAL_ERROR "RENDER_DIR is not set")
endif()
file(GLOB folders LIST_DIRECTORIES true RELATIVE ${RENDER_DIR} ${RENDER_DIR}/*)
set(faults "")
foreach(folder IN LISTS folders)
  if(NOT IS_DIRECTORY ${RENDER_DIR}/${folder})
    continue()
  endif()
  list(FIND floors ${folder} own)
  if(own EQUAL -1)
    string(APPEND faults "render/${folder} has no floor\n")
    continue()
  endif()
  file(GLOB_RECURSE sources ${RENDER_DIR}/${folder}/*.h ${RENDER_DIR}/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"render/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE ".*\"render/([^/\"]+)/.*" "\\1" target "${line}")
      list(FIND floors ${target} floor)
      if(floor EQUAL -1 OR floor LESS own)
        file(RELATIVE_PATH name ${RENDER_DIR} ${source})
        string(APPEND faults "render/${name}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "includes of a folder above:\n${faults}")
endif()
