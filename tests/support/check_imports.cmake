# Checks a Windows DLL with objdump: it imports from Windows' own DLLs only and exports the
# named entries.
#   cmake -DOBJDUMP=... -DLIBRARY=... -DEXPORTS=main,VSTPluginMain -P check_imports.cmake
cmake_minimum_required(VERSION 3.25)
set(system_dlls ADVAPI32.dll GDI32.dll KERNEL32.dll msvcrt.dll ole32.dll USER32.dll)

execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${LIBRARY}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
message(STATUS "imports: ${imports}")
foreach(dll IN LISTS imports)
    if(NOT dll IN_LIST system_dlls)
        message(FATAL_ERROR "${LIBRARY} imports ${dll}, which Windows does not provide")
    endif()
endforeach()

string(REPLACE "," ";" exports "${EXPORTS}")
foreach(entry IN LISTS exports)
    if(NOT headers MATCHES "\\[ *[0-9]+\\] ${entry}\n")
        message(FATAL_ERROR "${LIBRARY} does not export ${entry}")
    endif()
endforeach()
