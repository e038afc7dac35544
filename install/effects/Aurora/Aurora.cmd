@echo off
rem The picture runs in the effect shell; stopping this effect stops the shell.
start "" "%~dp0..\Nimbrel.exe" "%~dp0aurora.png"
