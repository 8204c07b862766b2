@echo off
rem Unregisters the MIRAL DirectShow filter of this folder: x64\TK_MIRAL_DX.dll (on 64-bit
rem Windows) and x86\TK_MIRAL_DX.dll, so that no application finds it any more. Run it as
rem administrator. "unregister.cmd x64" or "unregister.cmd x86" removes one width only.
setlocal
set "here=%~dp0"
set "only=%~1"
set "status=0"

rem The 64-bit system folder, also when this runs in a 32-bit command prompt.
set "system64="
if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" set "system64=%SystemRoot%\System32"
if defined PROCESSOR_ARCHITEW6432 set "system64=%SystemRoot%\Sysnative"
set "system32=%SystemRoot%\System32"
if defined system64 set "system32=%SystemRoot%\SysWOW64"

if defined system64 if /i not "%only%"=="x86" (
    "%system64%\regsvr32.exe" /s /u "%here%x64\TK_MIRAL_DX.dll"
    if errorlevel 1 (
        echo The 64-bit filter could not be unregistered.
        set "status=1"
    ) else (
        echo The 64-bit filter is unregistered.
    )
)
if /i not "%only%"=="x64" (
    "%system32%\regsvr32.exe" /s /u "%here%x86\TK_MIRAL_DX.dll"
    if errorlevel 1 (
        echo The 32-bit filter could not be unregistered.
        set "status=1"
    ) else (
        echo The 32-bit filter is unregistered.
    )
)
exit /b %status%
