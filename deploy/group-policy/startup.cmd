@echo off
rem notremovable: a Group Policy computer startup script, run as SYSTEM at
rem startup: startup.cmd
rem Runs the installed exe, nothing else: deploy its files with a tool whose
rem packages only administrators control; never copy them from SYSVOL.
rem Group Policy ignores the status; it is the exe's (1: the write was
rem attempted, 0: nothing was done), for whoever runs the script by hand.
setlocal
set "folder=%ProgramFiles%\notremovable"
if defined ProgramFiles(x86) set "folder=%ProgramFiles(x86)%\notremovable"
"%folder%\notremovable.exe"
exit /b %errorlevel%
