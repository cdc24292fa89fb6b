@echo off

rem Uninstall Excel 2002 COM Add-In

regsvr32.exe /u ExcelAddin1.dll
