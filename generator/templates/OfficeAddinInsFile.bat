@echo off

rem Install %OFFICEAPPNAME% %OFFICEAPPVERSION% COM Add-In

regsvr32.exe %COMADDIN%
