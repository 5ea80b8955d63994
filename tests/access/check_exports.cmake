# Fails unless the DLL exports the engine and every DMA_ function under exactly
# those names. Arguments: -DOBJDUMP=... -DDLL=...
if(NOT EXISTS "${DLL}")
  message(FATAL_ERROR "${DLL} was not built")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()
foreach(name dma_GetValue dma_SetValue DllMain
        DMA_QueryStructSize DMA_GetValue DMA_SetValue DMA_GetStringData DMA_SetStringData
        DMA_GetStringData_StrLength DMA_SetStringData_StrLength DMA_GetLogFontData DMA_SetLogFontData
        DMA_QuerySWSupportInfo DMA_GetUserSettingInfo DMA_SetUserSettingInfo DMA_GetFaxAddressNum
        DMA_SetFaxAddressNum DMA_EnumDMAID_ByTargetInfo DMA_QueryAttributes DMA_GetNameFromInfo
        DMA_AccessibleData DMA_DeleteData DMA_ApplyData DMA_ExtractDocPropEx DMA_ExtractDocProp
        DMA_ExtractOneTimeEx DMA_ExtractOneTime DMA_ReplaceDocProp)
  if(NOT dump MATCHES "\\] ${name}\n")
    message(FATAL_ERROR "${DLL} does not export ${name}")
  endif()
endforeach()
