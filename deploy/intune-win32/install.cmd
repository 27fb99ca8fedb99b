@echo off
rem notremovable: the Intune Win32 app's install command, run as SYSTEM from
rem the package: install.cmd
rem Copies notremovable.exe and notremovable-check.exe, and notremovable.ini
rem where it is packaged, into the programs' folder; before the exe's first
rem write there, records what stands at its key, for uninstall.cmd; runs the
rem exe and maps its status to Intune's default return codes. With
rem /record-only it does all but run the exe, for a baseline: 0, and nothing
rem written.
rem   0  the exe attempted its write (it ended with 1): detect.ps1 tells
rem   1  the exe did nothing (it ended with 0): notremovable-check.exe says why
rem   2  the files could not be copied
rem   3  what stands at the key could not be recorded, so nothing was written
setlocal
set "folder=%ProgramFiles%\notremovable"
if defined ProgramFiles(x86) set "folder=%ProgramFiles(x86)%\notremovable"

if not exist "%folder%\" mkdir "%folder%"
copy /b /y "%~dp0notremovable.exe" "%folder%\notremovable.exe" >nul
if errorlevel 1 exit /b 2
copy /b /y "%~dp0notremovable-check.exe" "%folder%\notremovable-check.exe" >nul
if errorlevel 1 exit /b 2
rem The settings file packaged, or none: never one an earlier package left.
if exist "%~dp0notremovable.ini" copy /b /y "%~dp0notremovable.ini" "%folder%\notremovable.ini" >nul
if errorlevel 1 exit /b 2
if not exist "%~dp0notremovable.ini" if exist "%folder%\notremovable.ini" del /f /q "%folder%\notremovable.ini"
if not exist "%~dp0notremovable.ini" if exist "%folder%\notremovable.ini" exit /b 2

cd /d "%folder%"
if /i not "%cd%"=="%folder%" exit /b 2
rem The key the exe writes, as the check program names it; none where the exe
rem would do nothing.
set "key="
for /f "tokens=1,*" %%a in ('notremovable-check.exe') do if "%%a"=="key:" set "key=%%b"
rem Recorded once, before the first write: a second install keeps the record.
if not defined key goto run
if exist key.txt goto run
reg query "%key%" >nul 2>&1
if not errorlevel 1 reg export "%key%" key-before.reg /y >nul 2>&1
reg query "%key%" >nul 2>&1
if not errorlevel 1 if not exist key-before.reg exit /b 3
for /f "delims=" %%k in ("%key%") do >key.txt echo %%k
if not exist key.txt exit /b 3

:run
if /i "%~1"=="/record-only" exit /b 0
notremovable.exe
if errorlevel 2 exit /b 1
if errorlevel 1 exit /b 0
exit /b 1
