@echo off
rem Runs glyphevict's Windows tests natively on Windows 10 or 11, without Wine:
rem every test program, and glyphevict.exe's output and exit status. It uses the
rem programs beside it, wherever it is started from. Exit status 0: all passed.
setlocal
cd /d "%~dp0"
set failures=0

for %%t in (glyphevict_unit_tests glyphevict_real_font_table_test glyphevict_identity_test) do (
  echo === %%t
  %%t.exe
  if errorlevel 1 call :fail %%t "see its output above"
)

rem On real Windows nothing may be skipped: a skip means the test did not run.
echo === glyphevict_end_to_end_test
glyphevict_end_to_end_test.exe > "%TEMP%\glyphevict_end_to_end_test.log"
if errorlevel 1 call :fail glyphevict_end_to_end_test "see its output below"
type "%TEMP%\glyphevict_end_to_end_test.log"
findstr /c:"[  SKIPPED ]" "%TEMP%\glyphevict_end_to_end_test.log" > nul
if not errorlevel 1 call :fail glyphevict_end_to_end_test "skipped, so it did not run"

rem glyphevict.exe as a user runs it: the exact bytes it writes, its status.
echo === glyphevict.exe output
set "work=%TEMP%\glyphevict-output-check"
if exist "%work%" rmdir /s /q "%work%"
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
echo FAILED: %failures% test programs or checks.
exit /b 1

rem :expect RUN EXPECTED_OUTPUT STATUS
:expect
set ok=1
if not "%3" == "0" call :fail %1 "exit status %3, expected 0"
fc /b "%work%\%1.out" "%work%\%2" > nul
if errorlevel 1 call :fail %1 "standard output differs from %2"
for %%f in ("%work%\%1.err") do set "error_bytes=%%~zf"
if not "%error_bytes%" == "0" call :fail %1 "wrote to standard error"
if %ok% == 1 echo ok %1
goto :eof

:fail
echo FAILED %~1: %~2
set /a failures+=1
set ok=0
goto :eof
