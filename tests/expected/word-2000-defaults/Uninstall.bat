@echo off

rem Uninstall Word 2000 COM Add-In

regsvr32.exe /u WordAddin1.dll
