@echo off

rem Install Word 2000 COM Add-In

regsvr32.exe WordAddin1.dll
