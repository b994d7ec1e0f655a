@echo off
rem Runs glyphevict's Windows tests natively on Windows 10 or 11, without Wine:
rem every test program, and glyphevict.exe's output and exit status. It uses the
rem programs beside it, wherever it is started from, and keeps what each one
rem printed in the folder test-logs beside them. Exit status 0: all passed.
rem
rem Every exit status is compared with 0 itself: a crash ends with a negative
rem one (0xC0000005 and the like), which "if errorlevel 1" would let pass.
rem find and fc are named with their folder, so that other programs of those
rem names on the PATH (Git's, say) are not run instead.
rem The folder is kept before the cd: after it, %~dp0 may name another one
rem when the script was started through a quoted relative path.
setlocal EnableExtensions DisableDelayedExpansion
set "here=%~dp0"
cd /d "%here%"
set failures=0
set "logs=%here%test-logs"
if exist "%logs%" rmdir /s /q "%logs%"
mkdir "%logs%"

call :run_test_program glyphevict_unit_tests
call :run_test_program glyphevict_real_font_table_test
call :run_test_program glyphevict_identity_test
call :run_test_program glyphevict_end_to_end_test

rem glyphevict.exe as a user runs it: the exact bytes it writes, its status.
echo === glyphevict.exe output
set "work=%logs%\glyphevict-output"
mkdir "%work%"
> "%work%\usage.txt" echo Usage: Font_File
>> "%work%\usage.txt" echo glyphevict.exe C:\Windows\Fonts\Gothic.ttf
type nul > "%work%\nothing.txt"

.\glyphevict.exe > "%work%\no-argument.out" 2> "%work%\no-argument.err"
call :expect no-argument usage.txt %errorlevel%
.\glyphevict.exe "C:\Windows\Fonts\glyphevict-not-loaded.ttf" > "%work%\font-path.out" 2> "%work%\font-path.err"
call :expect font-path nothing.txt %errorlevel%
.\glyphevict.exe "" > "%work%\empty-argument.out" 2> "%work%\empty-argument.err"
call :expect empty-argument nothing.txt %errorlevel%
.\glyphevict.exe /? > "%work%\question-mark.out" 2> "%work%\question-mark.err"
call :expect question-mark nothing.txt %errorlevel%
.\glyphevict.exe *.ttf > "%work%\wildcards.out" 2> "%work%\wildcards.err"
call :expect wildcards nothing.txt %errorlevel%
.\glyphevict.exe first.ttf second.ttf -h > "%work%\three-arguments.out" 2> "%work%\three-arguments.err"
call :expect three-arguments nothing.txt %errorlevel%

echo.
if %failures% == 0 (
  echo All Windows tests passed.
  exit /b 0
)
echo FAILED: %failures% test programs or checks. Their output is in %logs%
exit /b 1

rem :run_test_program NAME runs .\NAME.exe, its output kept in the logs.
rem On real Windows nothing may be skipped: a skip means a test did not run.
:run_test_program
echo === %1
.\%1.exe > "%logs%\%1.log" 2>&1
set status=%errorlevel%
type "%logs%\%1.log"
if not "%status%" == "0" call :fail %1 "exit status %status%"
"%SystemRoot%\System32\find.exe" "[  SKIPPED ]" "%logs%\%1.log" > nul
if "%errorlevel%" == "0" call :fail %1 "a test was skipped, so it did not run"
goto :eof

rem :expect RUN EXPECTED_OUTPUT STATUS
:expect
set ok=1
if not "%3" == "0" call :fail %1 "exit status %3, expected 0"
"%SystemRoot%\System32\fc.exe" /b "%work%\%1.out" "%work%\%2" > nul
if not "%errorlevel%" == "0" call :fail %1 "standard output differs from %2"
for %%f in ("%work%\%1.err") do set "error_bytes=%%~zf"
if not "%error_bytes%" == "0" call :fail %1 "wrote to standard error"
if %ok% == 1 echo ok %1
goto :eof

:fail
echo FAILED %~1: %~2
set /a failures+=1
set ok=0
goto :eof
