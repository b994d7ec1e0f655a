@echo off
rem Runs glyphevict's Windows tests natively, without Wine: every test program
rem that the build lists in windows-test-programs.txt beside this script, then
rem glyphevict.exe's exact output and exit status, and how a wildcard reaches
rem glyphevict's entry. Copy the build's bin folder to a Windows machine and
rem run, from cmd.exe or PowerShell, in any folder (a network path too):
rem   bin\run-windows-tests.cmd
rem What each program printed is kept in test-logs beside it. Exit status 0:
rem all passed; 1: what failed is named.
rem
rem Written for cmd.exe as Windows runs it and as Wine runs it in the build's
rem own check of this script:
rem - Every exit status is compared with 0 itself: a crash ends with a
rem   negative one (0xC0000005 and the like), which "if errorlevel 1" passes.
rem   An environment variable named ERRORLEVEL would hide the status from
rem   %errorlevel%: it is cleared.
rem - So are GoogleTest's variables that select or repeat tests: set in the
rem   caller's environment, they would let every program pass without running
rem   a test; and its colour, whose codes would split the summary that the
rem   checks below look for. A program that runs none all the same (counted
rem   in its summary, as CTest counts them), or prints no summary, fails, and
rem   so does a list that names no program.
rem - A skipped test fails: on real Windows a skip means it did not run.
rem - find and fc are named with their folder, so that other programs of
rem   those names on the PATH (Git's, say) are not run instead.
rem - No findstr, && or ||: Wine 8's findstr always reports a match, and its
rem   cmd runs both sides of && and ||. Wine's fc is such a stub too, so the
rem   byte comparison is real on Windows only.
rem - The folder is kept before the pushd: after it, %~dp0 may name another
rem   one when the script was started through a quoted relative path. pushd,
rem   unlike cd, enters a network path, through a drive letter of its own.
rem - popd follows only a pushd that worked, or it would take the caller's
rem   last pushd. Microsoft's page on pushd does not say what status it
rem   leaves; Wine's cmd leaves 1 when it fails and 0 when it works (tried),
rem   and Windows' may do the same. setlocal with arguments sets 0 before it
rem   (Microsoft's page on setlocal; Wine's leaves the status as it was). A
rem   variable named ERRORLEVEL does not hide it from "if errorlevel" under
rem   Wine (tried), and may not on Windows.
setlocal EnableExtensions DisableDelayedExpansion
set "here=%~dp0"
pushd "%here%"
if errorlevel 1 (
  echo FAILED glyphevict.exe: "%here%" cannot be entered
  exit /b 1
)
set "ERRORLEVEL="
set "GTEST_FILTER="
set "GTEST_TOTAL_SHARDS="
set "GTEST_SHARD_INDEX="
set "GTEST_ALSO_RUN_DISABLED_TESTS="
set "GTEST_REPEAT="
set "GTEST_FLAGFILE="
set "TESTBRIDGE_TEST_ONLY="
set "GTEST_COLOR="
if not exist ".\glyphevict.exe" (
  echo FAILED glyphevict.exe: not in "%here%"
  popd
  exit /b 1
)
set failures=0
set "logs=%here%test-logs"
if exist "%logs%" rmdir /s /q "%logs%"
mkdir "%logs%"

rem The test programs: every one that the build lists beside this script.
set "programs=%here%windows-test-programs.txt"
set programs_run=0
if not exist "%programs%" call :fail windows-test-programs.txt "not found beside this script"
for /f "usebackq delims=" %%p in ("%programs%") do call :run_test_program %%p
if exist "%programs%" if %programs_run% == 0 call :fail windows-test-programs.txt "names no test program"

rem glyphevict.exe as a user runs it: the exact bytes it writes, its status.
rem Without an argument it prints usage.txt, which the build puts beside this
rem script.
echo === glyphevict.exe output
set "work=%logs%\glyphevict-output"
mkdir "%work%"
copy "%here%usage.txt" "%work%" > nul
type nul > "%work%\nothing.txt"

.\glyphevict.exe > "%work%\no-argument.out" 2> "%work%\no-argument.err"
call :expect no-argument usage.txt %errorlevel%
.\glyphevict.exe "C:\Windows\Fonts\glyphevict-not-loaded.ttf" > "%work%\font-path.out" 2> "%work%\font-path.err"
call :expect font-path nothing.txt %errorlevel%
.\glyphevict.exe "" > "%work%\empty-argument.out" 2> "%work%\empty-argument.err"
call :expect empty-argument nothing.txt %errorlevel%
.\glyphevict.exe /? > "%work%\question-mark.out" 2> "%work%\question-mark.err"
call :expect question-mark nothing.txt %errorlevel%
.\glyphevict.exe first.ttf second.ttf -h > "%work%\three-arguments.out" 2> "%work%\three-arguments.err"
call :expect three-arguments nothing.txt %errorlevel%
rem glyphevict.exe's entry with a removal that prints the path it is given: a
rem wildcard must arrive as typed, though the test font beside this script
rem matches it.
set "arrived="
.\glyphevict_argument_recorder.exe *.ttf > "%work%\recorded.out" 2>&1
set /p arrived=< "%work%\recorded.out"
if "%arrived%" == "*.ttf" echo ok wildcards-as-typed
if not "%arrived%" == "*.ttf" type "%work%\recorded.out"
if not "%arrived%" == "*.ttf" call :fail wildcards-as-typed "*.ttf did not arrive as typed, above"

echo.
popd
if %failures% == 0 (
  echo All Windows tests passed.
  exit /b 0
)
echo FAILED: %failures% test programs or checks. Their output is in "%logs%"
exit /b 1

rem :run_test_program NAME runs .\NAME.exe, its output kept in the logs.
:run_test_program
echo === %1
.\%1.exe > "%logs%\%1.log" 2>&1
set status=%errorlevel%
type "%logs%\%1.log"
if not "%status%" == "0" call :fail %1 "exit status %status%"
"%SystemRoot%\System32\find.exe" "[  SKIPPED ]" "%logs%\%1.log" > nul
if "%errorlevel%" == "0" call :fail %1 "a test was skipped, so it did not run"
"%SystemRoot%\System32\find.exe" "[  PASSED  ]" "%logs%\%1.log" > nul
if not "%errorlevel%" == "0" call :fail %1 "it printed no test summary"
"%SystemRoot%\System32\find.exe" "[==========] 0 tests from" "%logs%\%1.log" > nul
if "%errorlevel%" == "0" call :fail %1 "it ran no test"
set /a programs_run+=1
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
