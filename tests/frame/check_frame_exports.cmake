# Fails unless the DLL exports exactly the DDI entries of the graphics library
# (or, with -DEXPECTED=a,b,..., exactly those names in that order) and imports
# none of the engine's callbacks. Arguments: -DOBJDUMP=... -DDLL=... [-DEXPECTED=...]
if(NOT EXISTS "${DLL}")
  message(FATAL_ERROR "${DLL} was not built")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()
set(expected DrvBitBlt DrvCompletePDEV DrvCopyBits DrvDisableDriver DrvDisablePDEV DrvDisableSurface
    DrvEnableDriver DrvEnablePDEV DrvEnableSurface DrvEndDoc DrvEscape DrvFillPath DrvGetGlyphMode
    DrvQueryAdvanceWidths DrvQueryDriverInfo DrvQueryFont DrvQueryFontData DrvQueryFontTree DrvRealizeBrush
    DrvResetPDEV DrvSendPage DrvStartDoc DrvStartPage DrvStretchBlt DrvStretchBltROP DrvStrokeAndFillPath
    DrvStrokePath DrvTextOut)
if(DEFINED EXPECTED)
  string(REPLACE "," ";" expected "${EXPECTED}")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)+" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_0-9]+" entries "${table}")
set(names)
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${entry}")
  list(APPEND names ${name})
endforeach()
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "${DLL} exports ${names}, expected ${expected}")
endif()
if(dump MATCHES "[ \t](Eng[A-Z][A-Za-z]+|[A-Z]+OBJ_[A-Za-z]+)\n")
  message(FATAL_ERROR "${DLL} imports the engine callback ${CMAKE_MATCH_1}")
endif()
