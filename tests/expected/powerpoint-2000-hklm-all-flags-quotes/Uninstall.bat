@echo off

rem Uninstall PowerPoint 2000 COM Add-In

regsvr32.exe /u PowerPointAddin1.dll
