@echo off

rem Install PowerPoint 2000 COM Add-In

regsvr32.exe PowerPointAddin1.dll
