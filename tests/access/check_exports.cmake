# Fails unless the DLL exports dma_GetValue and dma_SetValue under exactly
# those names. Arguments: -DOBJDUMP=... -DDLL=...
if(NOT EXISTS "${DLL}")
  message(FATAL_ERROR "${DLL} was not built")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()
foreach(name dma_GetValue dma_SetValue)
  if(NOT dump MATCHES "\\] ${name}\n")
    message(FATAL_ERROR "${DLL} does not export ${name}")
  endif()
endforeach()
