@echo off
rem Runs Update-FontFile.ps1, beside this file, with the arguments given:
rem   Update-FontFile -LoadedFont FONT_FILE -NewBuild NEW_BUILD [-AllowOlder]
rem Windows PowerShell runs it whatever the execution policy (unless Group
rem Policy sets one); its exit status, 1 when the font was not replaced, is
rem this script's.
setlocal EnableExtensions DisableDelayedExpansion
"%SystemRoot%\System32\WindowsPowerShell\v1.0\powershell.exe" -NoProfile -ExecutionPolicy Bypass -File "%~dp0Update-FontFile.ps1" %*
exit /b %errorlevel%
