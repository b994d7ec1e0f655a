@echo off
rem Runs Update-FontFile.ps1, beside this file, with the arguments given:
rem   Update-FontFile -LoadedFont FONT_FILE -NewBuild NEW_BUILD [-AllowOlder]
rem Windows PowerShell runs it whatever the execution policy (unless Group
rem Policy sets one). Exit status 0 when the font file was replaced, already
rem held the new build's bytes, or the usage was shown; 1 otherwise, with
rem PowerShell's message saying why.
setlocal EnableExtensions DisableDelayedExpansion
"%SystemRoot%\System32\WindowsPowerShell\v1.0\powershell.exe" -NoProfile -ExecutionPolicy Bypass -File "%~dp0Update-FontFile.ps1" %*
if not "%errorlevel%" == "0" exit /b 1
exit /b 0
