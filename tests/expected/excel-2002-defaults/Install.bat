@echo off

rem Install Excel 2002 COM Add-In

regsvr32.exe ExcelAddin1.dll
