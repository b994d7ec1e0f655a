@echo off
rem Runs Update-FontFile.ps1, beside this file, with the arguments given:
rem   Update-FontFile -LoadedFont FONT_FILE -NewBuild NEW_BUILD [-AllowOlder]
rem Windows PowerShell runs it whatever the execution policy (unless Group
rem Policy sets one). Exit status 0 when the font file was replaced, already
rem held the new build's bytes, or the usage was shown; 1 otherwise, with
rem PowerShell's message saying why.
setlocal EnableExtensions DisableDelayedExpansion
rem A variable of that name would stand in for the status below.
set "ERRORLEVEL="
rem Started by a quoted name found on the PATH, the script's own folder may
rem come out as the current one: then the PATH tells where it is.
set "here=%~dp0"
if not exist "%here%Update-FontFile.ps1" for %%I in (Update-FontFile.cmd) do set "here=%%~dp$PATH:I"
"%SystemRoot%\System32\WindowsPowerShell\v1.0\powershell.exe" -NoProfile -ExecutionPolicy Bypass -File "%here%Update-FontFile.ps1" %*
if not "%errorlevel%" == "0" exit /b 1
exit /b 0
