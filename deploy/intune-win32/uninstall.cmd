@echo off
rem notremovable: the Intune Win32 app's uninstall command, run as SYSTEM:
rem uninstall.cmd
rem Gives the exe's key back what stood there before install.cmd first ran
rem the exe: the key as it was recorded (with its Removable REG_DWORD 1, say),
rem or no key. Only the key's last level, "*", is deleted: never the ID's key
rem or its LocationPaths, where other overrides may live. Then removes the
rem programs' folder. Status 0: done, or nothing was installed; 1: the
rem recorded key could not be restored, or the folder not removed (what is
rem left stays, so that the uninstall can be tried again).
setlocal
set "folder=%ProgramFiles%\notremovable"
if defined ProgramFiles(x86) set "folder=%ProgramFiles(x86)%\notremovable"
if not exist "%folder%\" exit /b 0

cd /d "%folder%"
if /i not "%cd%"=="%folder%" exit /b 1
set "key="
if exist key.txt for /f "usebackq delims=" %%k in ("key.txt") do set "key=%%k"
if not defined key goto remove
reg delete "%key%" /f >nul 2>&1
if not exist key-before.reg goto remove
reg import key-before.reg >nul 2>&1
if errorlevel 1 exit /b 1

:remove
cd /d "%SystemRoot%"
rd /s /q "%folder%"
if exist "%folder%\" exit /b 1
exit /b 0
